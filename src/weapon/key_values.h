// Finding the key values of a line: each key compared eight bytes at a time,
// found by its length and first letter. Inline, as the weapons table calls it
// for every line of every block.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "text/text.h"
#include "weapon/current_weapon.h"
#include "weapon/field_table.h"

#include "text/simd.h"

namespace qm {

// A key value of a line.
struct KeyValue {
  Slot slot;
  std::string_view value;  // a part of the line
};

namespace keys {

// A key, compared eight bytes at a time: a byte of the line matches a letter
// of the key when it equals it with the lower-case bit set (the letter in
// either case, as folding gives), and any other byte only when it is equal.
struct KeyTest {
  static constexpr std::size_t kWords = 4;
  std::uint64_t pattern[kWords] = {}, caseBits[kWords] = {};
  std::uint64_t mask[kWords] = {};  // the bytes of each word that belong to the key
  Slot slot;
  std::size_t size, words;
  KeyTest(std::string_view key, Slot s) : slot(s), size(key.size()), words((key.size() + 7) / 8) {
    for (std::size_t i = 0; i < key.size(); ++i) {
      const std::uint64_t shift = 8 * (i % 8);
      pattern[i / 8] |= std::uint64_t{static_cast<unsigned char>(key[i])} << shift;
      mask[i / 8] |= std::uint64_t{0xff} << shift;
      if (key[i] >= 'a' && key[i] <= 'z') caseBits[i / 8] |= std::uint64_t{0x20} << shift;
    }
  }
  // The same as matches() where the whole words that hold the key's length
  // can be read, past its end if need be.
  bool matchesWords(const char* text) const {
    for (std::size_t w = 0; w < words; ++w) {
      std::uint64_t word;
      std::memcpy(&word, text + 8 * w, 8);
      if (((word & mask[w]) | caseBits[w]) != pattern[w]) return false;
    }
    return true;
  }
  // Whether the `size` bytes at `text`, the key's length, are this key.
  bool matches(const char* text, std::size_t size) const {
    std::size_t w = 0;
    for (; 8 * (w + 1) <= size; ++w) {
      std::uint64_t word;
      std::memcpy(&word, text + 8 * w, 8);
      if ((word | caseBits[w]) != pattern[w]) return false;
    }
    for (std::size_t i = 8 * w; i < size; ++i) {
      const std::uint64_t shift = 8 * (i % 8);
      if ((static_cast<unsigned char>(text[i]) | ((caseBits[w] >> shift) & 0xff)) != ((pattern[w] >> shift) & 0xff))
        return false;
    }
    return true;
  }
};

// The key tests, found by a hash of the key's length and its first eight
// bytes folded to lower case. No key holds a "=", so a key can match at a
// column only when the line's first "=" from there follows it: that "=" gives
// the length, and mostly one key is compared.
struct KeyTests {
  static constexpr std::size_t kLongest = 8 * KeyTest::kWords;
  static constexpr std::size_t kSlots = 512;  // a power of two, well over the number of keys
  std::vector<KeyTest> all;
  std::array<std::int16_t, kSlots> byHash{};  // an index in `all`, or -1; the next slot on a collision
  std::array<std::uint64_t, kSlots> foldedOf{};
  KeyTests() {
    byHash.fill(-1);
    for (const FieldRow& field : kFields) {
      if (!field.isKeyLine()) continue;
      char first[8] = {};
      std::memcpy(first, field.key.data(), std::min<std::size_t>(8, field.key.size()));
      std::uint64_t word;
      std::memcpy(&word, first, 8);
      const std::uint64_t folded = fold(word, field.key.size());
      std::size_t at = slotOf(field.key.size(), folded);
      while (byHash[at] >= 0) at = (at + 1) % kSlots;
      byHash[at] = static_cast<std::int16_t>(all.size());
      foldedOf[at] = folded;
      all.emplace_back(field.key, field.slot);
    }
  }
  // The first `size` of eight bytes (as a number, in the machine's order)
  // with every byte's lower-case bit set, those past them zero.
  static std::uint64_t fold(std::uint64_t word, std::size_t size) {
    const std::uint64_t mask = size >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * size)) - 1;
    return (word | 0x2020202020202020ull) & mask;
  }
  static std::size_t slotOf(std::size_t size, std::uint64_t folded) {
    return static_cast<std::size_t>(((folded ^ size) * 0x9E3779B97F4A7C15ull) >> 55) % kSlots;
  }
};

constexpr bool keysFitTests() {
  for (const FieldRow& field : kFields)
    if (field.isKeyLine()) {
      if (field.key.empty() || field.key.size() > KeyTests::kLongest || field.key[0] < 'a' || field.key[0] > 'z')
        return false;
      for (char c : field.key)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    }
  return true;
}
static_assert(keysFitTests(), "keys are found by length and first letter, compared by words: a-z, 0-9 and _ only");

inline const KeyTests& tests() {
  static const KeyTests kTests;
  return kTests;
}

// The key at `key`, `size` bytes long, whose first eight bytes (those past
// the key too, or zeros) are `first`; null when it is none. With `readable`,
// the whole words that hold `size` bytes can be read at `key`.
template <bool kReadable = false>
inline const KeyTest* keyFound(const KeyTests& keys, const char* key, std::size_t size, std::uint64_t first) {
  // Every key starts with a letter.
  if (size == 0 || size > KeyTests::kLongest || static_cast<unsigned char>((first | 0x20) - 'a') >= 26) return nullptr;
  const std::uint64_t folded = KeyTests::fold(first, size);
  for (std::size_t at = KeyTests::slotOf(size, folded); keys.byHash[at] >= 0; at = (at + 1) % KeyTests::kSlots) {
    const KeyTest& t = keys.all[static_cast<std::size_t>(keys.byHash[at])];
    if (keys.foldedOf[at] == folded && t.size == size && (kReadable ? t.matchesWords(key) : t.matches(key, size)))
      return &t;
  }
  return nullptr;
}

// The key at one column (0 or 1) of a line whose first "=" is at `eq`, when
// a key ends there; null otherwise.
inline const KeyTest* keyAt(const KeyTests& keys, std::string_view line, std::size_t col, std::size_t eq) {
  char first[8] = {};
  std::memcpy(first, line.data() + col, std::min<std::size_t>(8, line.size() - col));
  std::uint64_t word;
  std::memcpy(&word, first, 8);
  return keyFound(keys, line.data() + col, eq - col, word);
}

// The same where 32 bytes from the column can be read, past the line's end
// if need be.
inline const KeyTest* keyAtReadable(const KeyTests& keys, const char* line, std::size_t col, std::size_t eq) {
  std::uint64_t word;
  std::memcpy(&word, line + col, 8);
  return keyFound<true>(keys, line + col, eq - col, word);
}

// A key's value: what follows its "=" less the line's last character. A line
// that ends right at its "=" has nothing to drop: its value is empty.
inline std::string_view valueAfter(std::string_view line, std::size_t eq) {
  const std::size_t start = eq + 1;
  return start < line.size() ? std::string_view(line.data() + start, line.size() - start - 1) : std::string_view();
}

inline bool testColumn(const KeyTests& keys, std::string_view line, std::size_t col, std::size_t eq, KeyValue& out) {
  const KeyTest* t = keyAt(keys, line, col, eq);
  if (t) out = {t->slot, valueAfter(line, eq)};
  return t != nullptr;
}

}  // namespace keys

// The key values of a line whose first "=" from its second character is at
// `eq` (keyValuesOf finds it), in the order they are stored (at most two: the
// key tests at column 1 and at column 2); returns how many.
inline int keyValuesAt(std::string_view line, std::size_t eq, KeyValue (&out)[2]) {
  using namespace keys;
  const KeyTests& keys = tests();
  int n = 0;
  if (testColumn(keys, line, 0, eq, out[n])) ++n;
  if (testColumn(keys, line, 1, eq, out[n])) ++n;
  return n;
}

// How far from a line's start its first "=" may lie for a key to end there.
inline constexpr std::size_t kKeyReach = keys::KeyTests::kLongest + 2;

// The key values of a line, as keyValuesAt; returns how many.
inline int keyValuesOf(std::string_view line, KeyValue (&out)[2]) {
  // The first "=" from column 1 is the first from column 0 too, unless the
  // line starts with one: then no key starts at column 0, as none starts
  // with anything but a letter.
  if (line.size() < 2) return 0;
  const std::size_t end = std::min(line.size(), kKeyReach);
  std::size_t eq = 1;
#if defined(QM_SSE2)
  // Sixteen bytes at once when the line holds them.
  if (line.size() >= 17) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + 1));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('=')));
    eq = mask != 0 ? 1 + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) : 17;
  }
#endif
  while (eq < end && line[eq] != '=') ++eq;
  if (eq == end) return 0;
  return keyValuesAt(line, eq, out);
}

}  // namespace qm
