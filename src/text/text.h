// Byte-level text helpers. Weapon text is kept as the bytes of the file
// (Windows-1252); it is decoded only for display.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

namespace detail {
// The lower- and upper-case letter of each Windows-1252 byte.
extern const std::array<unsigned char, 256> kLowerOf, kUpperOf;
}  // namespace detail

// Letter case of a Windows-1252 byte; inline, as the readers fold every key.
inline char foldLower(char c) { return static_cast<char>(detail::kLowerOf[static_cast<unsigned char>(c)]); }
inline char foldUpper(char c) { return static_cast<char>(detail::kUpperOf[static_cast<unsigned char>(c)]); }
// Whether two texts are the same with letter case ignored.
inline bool sameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && foldLower(a[i]) != foldLower(b[i])) return false;
  return true;
}
std::string toLower(std::string_view s);
// The text without the spaces and tabs around it.
std::string_view trimBlanks(std::string_view s);
std::string toUpper(std::string_view s);

// True when the n bytes of `text` starting at `pos` exist and, folded to lower
// case, equal `lowerMatch` (which must already be lower case).
bool matchesFoldedAt(std::string_view text, std::size_t pos, std::string_view lowerMatch);

// Case-blind ordering used by the sorted weapon list.
int compareFolded(std::string_view a, std::string_view b);

// The eight bytes of `text` from `pos` folded to lower case, padded with zero
// bytes past its end, as a big-endian number: such numbers order as
// CompareFolded orders the bytes they hold.
std::uint64_t foldedWord(std::string_view text, std::size_t pos);

// UTF-8 text (names of files on disk) with the capital letters of the Latin,
// Greek and Cyrillic alphabets made small; bytes that are not UTF-8 stay as
// they are. Its byte order is the order of the characters.
std::string toLowerUtf8(std::string_view utf8);

// Windows-1252 bytes to UTF-8 for display; the five undefined bytes map to the
// C1 controls of the same value.
std::string cp1252ToUtf8(std::string_view bytes);
// UTF-8 to Windows-1252 bytes. Characters the code page cannot hold become
// "?". Text that is not valid UTF-8 is taken as bytes already.
std::string utf8ToCp1252(std::string_view utf8);
// UTF-8 to Windows-1252 bytes, or nothing with `why` (UTF-8) when the text is
// not UTF-8 or holds a character the code page cannot hold.
std::optional<std::string> utf8ToCp1252Exact(std::string_view utf8, std::string& why);

}  // namespace qm
