#include "text/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace qm {

namespace {

struct CaseTables {
  std::array<unsigned char, 256> lower{};
  std::array<unsigned char, 256> upper{};
  constexpr CaseTables() {
    for (int i = 0; i < 256; ++i) lower[i] = upper[i] = static_cast<unsigned char>(i);
    auto pair = [this](int up, int low) {
      lower[up] = static_cast<unsigned char>(low);
      upper[low] = static_cast<unsigned char>(up);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) pair(c, c + 32);
    pair(0x8A, 0x9A);  // S caron
    pair(0x8C, 0x9C);  // OE
    pair(0x8E, 0x9E);  // Z caron
    pair(0x9F, 0xFF);  // Y diaeresis
  }
};

// Built by the compiler, so the tables are filled before any code runs.
constexpr CaseTables kCase;

constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t cp1252Char(unsigned char b) { return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : b; }

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 if invalid.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& c) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
  for (std::size_t k = 1; k < len; ++k) {
    const auto n = static_cast<unsigned char>(s[i + k]);
    if ((n & 0xC0) != 0x80) return 0;
    c = (c << 6) | (n & 0x3F);
  }
  return len;
}

}  // namespace

constinit const std::array<unsigned char, 256> detail::kLowerOf = kCase.lower;
constinit const std::array<unsigned char, 256> detail::kUpperOf = kCase.upper;

std::string_view trimBlanks(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string toLower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = foldLower(c);
  return out;
}

std::string toUpper(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = foldUpper(c);
  return out;
}

bool matchesFoldedAt(std::string_view text, std::size_t pos, std::string_view lowerMatch) {
  if (pos > text.size() || text.size() - pos < lowerMatch.size()) return false;
  const auto& lower = detail::kLowerOf;
  for (std::size_t i = 0; i < lowerMatch.size(); ++i)
    if (lower[static_cast<unsigned char>(text[pos + i])] != static_cast<unsigned char>(lowerMatch[i])) return false;
  return true;
}

int compareFolded(std::string_view a, std::string_view b) {
  const auto& lower = detail::kLowerOf;
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int x = lower[static_cast<unsigned char>(a[i])];
    const int y = lower[static_cast<unsigned char>(b[i])];
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::uint64_t foldedWord(std::string_view text, std::size_t pos) {
  unsigned char bytes[8] = {};  // zero folds to zero: the padding stays
  if (pos < text.size()) std::memcpy(bytes, text.data() + pos, std::min<std::size_t>(8, text.size() - pos));
  const auto& lower = detail::kLowerOf;
  std::uint64_t word = 0;
  for (unsigned char b : bytes) word = word << 8 | lower[b];
  return word;
}

std::string cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) appendUtf8(out, cp1252Char(static_cast<unsigned char>(b)));
  return out;
}

namespace {

// The Windows-1252 byte of a character, or nothing when the code page lacks it.
std::optional<char> cp1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int k = 0; k < 32; ++k)
    if (kHigh[k] == c) return static_cast<char>(0x80 + k);
  return std::nullopt;
}

}  // namespace

std::string utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t len = decodeUtf8(utf8, i, c);
    if (len == 0) return std::string(utf8);  // not UTF-8: already bytes
    i += len;
    out += cp1252Byte(c).value_or('?');
  }
  return out;
}

std::optional<std::string> utf8ToCp1252Exact(std::string_view utf8, std::string& why) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t len = decodeUtf8(utf8, i, c);
    if (len == 0) {
      why = "byte " + std::to_string(i + 1) + " is not UTF-8";
      return std::nullopt;
    }
    const std::optional<char> mapped = cp1252Byte(c);
    if (!mapped) {
      why = "'" + std::string(utf8.substr(i, len)) + "' is not a character of Windows-1252, the files' encoding";
      return std::nullopt;
    }
    out += *mapped;
    i += len;
  }
  return out;
}

namespace {

// The lower-case letter of a character of the Latin, Greek and Cyrillic
// alphabets; every other character stands for itself.
char32_t lowerOf(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x138 && c != 0x149) {
    if (c == 0x178) return 0xFF;
    // Pairs of capital and small letter: even capitals up to U+0137 and from
    // U+014A, odd ones between.
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    return (c % 2 == 1) == oddCapitals ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  return c;
}

}  // namespace

std::string toLowerUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t len = decodeUtf8(utf8, i, c);
    if (len == 0) {
      out += utf8[i++];  // not UTF-8: the byte as it is
      continue;
    }
    appendUtf8(out, lowerOf(c));
    i += len;
  }
  return out;
}

}  // namespace qm
