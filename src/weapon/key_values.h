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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  Slot slot;
  KeyTest(std::string_view key, Slot s) : slot(s) {
    for (std::size_t i = 0; i < key.size(); ++i) {
      const std::uint64_t shift = 8 * (i % 8);
      pattern[i / 8] |= std::uint64_t{static_cast<unsigned char>(key[i])} << shift;
      if (key[i] >= 'a' && key[i] <= 'z') caseBits[i / 8] |= std::uint64_t{0x20} << shift;
    }
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

// The key tests, found by the length of the key and its first letter. No key
// holds a "=", so a key can match at a column only when the line's first "="
// from there follows it: that "=" gives the length, and at most one key is
// compared.
struct KeyTests {
  static constexpr std::size_t kLongest = 8 * KeyTest::kWords;
  std::array<std::array<std::vector<KeyTest>, 26>, kLongest + 1> byLengthFirst;
  KeyTests() {
    for (const FieldRow& field : kFields)
      if (field.isKeyLine()) byLengthFirst[field.key.size()][bucket(field.key[0])].emplace_back(field.key, field.slot);
  }
  // The first letter, a to z, as 0 to 25; 26 or more for any other byte.
  static std::size_t bucket(char c) { return static_cast<unsigned char>(foldLower(c) - 'a'); }
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

// The key test at one column (0 or 1), whose first "=" is at `eq`: the value
// is what follows the "=" less the line's last character.
inline bool testColumn(const KeyTests& keys, std::string_view line, std::size_t col, std::size_t eq, KeyValue& out) {
  const std::size_t first = KeyTests::bucket(line[col]), size = eq - col;
  if (size == 0 || size > KeyTests::kLongest || first >= 26) return false;
  for (const KeyTest& t : keys.byLengthFirst[size][first]) {
    if (!t.matches(line.data() + col, size)) continue;
    // A line that ends right at its "=" has nothing to drop: its value is empty.
    const std::size_t start = eq + 1;
    out = {t.slot,
           start < line.size() ? std::string_view(line.data() + start, line.size() - start - 1) : std::string_view()};
    return true;
  }
  return false;
}

}  // namespace keys

// The key values of a line, in the order they are stored (at most two: the
// key tests at column 1 and at column 2); returns how many.
inline int keyValuesOf(std::string_view line, KeyValue (&out)[2]) {
  using namespace keys;
  // The first "=" from column 1 is the first from column 0 too, unless the
  // line starts with one: then no key starts at column 0, as none starts
  // with anything but a letter.
  if (line.size() < 2) return 0;
  const std::size_t end = std::min(line.size(), KeyTests::kLongest + 2);
  std::size_t eq = 1;
#if defined(__SSE2__)
  // Sixteen bytes at once when the line holds them.
  if (line.size() >= 17) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + 1));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('=')));
    eq = mask != 0 ? 1 + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) : 17;
  }
#endif
  while (eq < end && line[eq] != '=') ++eq;
  if (eq == end) return 0;
  const KeyTests& keys = tests();
  int n = 0;
  if (testColumn(keys, line, 0, eq, out[n])) ++n;
  if (testColumn(keys, line, 1, eq, out[n])) ++n;
  return n;
}

}  // namespace qm
