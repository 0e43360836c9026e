#include "text/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace qm {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The power of ten of the leading digit of a clean decimal
// "[-]digits[.digits][e[-]digits]" that is not zero: 2 for "123", -3 for
// "0.00123", 395 for "1" with 400 zeros and "e-5".
long long leadingPower(std::string_view s) {
  if (!s.empty() && s[0] == '-') s.remove_prefix(1);
  const std::size_t e = std::min(s.find('e'), s.size());
  long long exponent = 0;
  if (e < s.size()) {
    const bool negative = e + 1 < s.size() && s[e + 1] == '-';
    // Beyond a billion the exact value no longer matters, only its side.
    for (std::size_t i = e + 1 + (negative ? 1 : 0); i < s.size(); ++i)
      exponent = std::min(exponent * 10 + (s[i] - '0'), 1'000'000'000LL);
    if (negative) exponent = -exponent;
  }
  const std::string_view mantissa = s.substr(0, e);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_not_of("0.");
  const long long place =
      first < point ? static_cast<long long>(point - first - 1) : -static_cast<long long>(first - point);
  return place + exponent;
}

// Parses a clean decimal "[-]digits[.digits][e[-]digits]" without locale.
double parseDecimal(const std::string& s) {
  double value = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: which of the two is told by the
    // number's size, not by the sign of its exponent.
    const bool negative = !s.empty() && s[0] == '-';
    if (leadingPower(s) < 0) return negative ? -0.0 : 0.0;
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  return value;
}

// Reads the digits of an &H or &O number; the value wraps as a 16-bit (up to
// 4 hex / 6 octal digits) or a 32-bit signed integer does.
double radixValue(std::string_view digits, int radix) {
  std::uint64_t v = 0;
  for (char c : digits) {
    const int d = isDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
    v = v * radix + d;
    if (v > 0xFFFFFFFFull) return std::numeric_limits<double>::infinity();
  }
  const bool narrow = radix == 16 ? digits.size() <= 4 : v <= 0xFFFF;
  if (narrow) return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(v)));
  return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
}

bool isRadixDigit(char c, int radix) {
  if (radix == 8) return c >= '0' && c <= '7';
  return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

// Reads an optional sign, mantissa and exponent from the cleaned characters
// of `s` starting at `i`; returns the decimal text and where reading stopped.
// `mantissaDigits` tells whether any digit was read.
std::string readDecimal(std::string_view s, std::size_t& i, bool& mantissaDigits) {
  std::string out;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') out += '-';
    ++i;
  }
  mantissaDigits = false;
  bool point = false;
  std::string mantissa;
  for (; i < s.size(); ++i) {
    if (isDigit(s[i])) {
      mantissa += s[i];
      mantissaDigits = true;
    } else if (s[i] == '.' && !point) {
      point = true;
      mantissa += '.';
    } else {
      break;
    }
  }
  if (!mantissaDigits) return out;
  if (mantissa.front() == '.') out += '0';
  out += mantissa;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exp = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      if (s[j] == '-') exp += '-';
      ++j;
    }
    std::size_t digits = 0;
    while (j < s.size() && isDigit(s[j])) exp += s[j++], ++digits;
    if (digits > 0) {
      out += exp;
      i = j;
    }
  }
  return out;
}

}  // namespace

std::optional<double> textToDouble(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  const std::string_view s = text.substr(b, e - b);
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'h' || s[1] == 'H' || s[1] == 'o' || s[1] == 'O')) {
    const int radix = (s[1] | 0x20) == 'h' ? 16 : 8;
    const std::string_view digits = s.substr(2);
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
      if (!isRadixDigit(c, radix)) return std::nullopt;
    const double v = radixValue(digits, radix);
    if (std::isinf(v)) return std::nullopt;
    return v;
  }
  std::size_t i = 0;
  bool digits = false;
  const std::string dec = readDecimal(s, i, digits);
  if (!digits || i != s.size()) return std::nullopt;
  const double v = parseDecimal(dec);
  if (std::isinf(v)) return std::nullopt;
  return v;
}

std::optional<double> valueNumber(std::string_view text) { return textToDouble(text.substr(0, text.find(';'))); }

bool readsAsZero(std::string_view text) {
  const auto v = textToDouble(text);
  return v && *v == 0;
}

double leadingNumber(std::string_view text) {
  // Blanks, tabs and line feeds do not count wherever they stand.
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') s += c;
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'h' || s[1] == 'H' || s[1] == 'o' || s[1] == 'O')) {
    const int radix = (s[1] | 0x20) == 'h' ? 16 : 8;
    std::size_t n = 2;
    while (n < s.size() && isRadixDigit(s[n], radix)) ++n;
    return radixValue(std::string_view(s).substr(2, n - 2), radix);
  }
  std::size_t i = 0;
  bool digits = false;
  const std::string dec = readDecimal(s, i, digits);
  return digits ? parseDecimal(dec) : 0.0;
}

std::optional<std::int32_t> textToInt32(std::string_view text) {
  const auto v = textToDouble(text);
  if (!v) return std::nullopt;
  const double fl = std::floor(*v);
  const double frac = *v - fl;
  double r = fl;
  if (frac > 0.5 || (frac == 0.5 && std::fmod(fl, 2.0) != 0)) r = fl + 1;
  if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(r);
}

std::string numberToText(double x) {
  if (x == 0) return "0";
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x < 0 ? "-Infinity" : "Infinity";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  std::string out(buf, r.ptr);
  for (auto& c : out)
    if (c == 'e') c = 'E';
  return out;
}

std::optional<long> wholeNumber(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  const bool negative = !s.empty() && s.front() == '-';
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  if (s.empty() || s.size() > 9) return std::nullopt;
  long value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

}  // namespace qm
