// The number rules of the export dialog: the leading-number value, the whole
// text as a double and as a 32-bit number, the dialog's checks and the
// number-to-text conversion.
//
// Invariants:
// - a text that reads as a whole as a number has that number as its leading
//   number too;
// - a 32-bit result is within one half of the text's value;
// - values the dialog accepts always give the file a weapon ID, and never one
//   whose leading number is 0;
// - number to text and back gives the same text again, and a value within 15
//   significant digits;
// - every 32-bit number survives the trip through its text.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "export/checks.h"
#include "fuzz_support.h"
#include "text/numbers.h"

using namespace qm;

namespace {

void checkRoundTrip(double x) {
  // Fifteen digits round the very largest doubles up beyond the range; the
  // window never shows such values.
  if (!std::isfinite(x) || std::fabs(x) > 1e308) return;
  const std::string text = numberToText(x);
  const auto back = textToDouble(text);
  FUZZ_CHECK(back.has_value());
  FUZZ_CHECK(numberToText(*back) == text);
  FUZZ_CHECK(leadingNumber(text) == *back);
  if (std::isnormal(x) && std::isnormal(*back)) FUZZ_CHECK(std::fabs(*back - x) <= std::fabs(x) * 1e-14);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::asText(data, size);

  const double leading = leadingNumber(text);
  const auto whole = textToDouble(text);
  const auto i32 = textToInt32(text);
  if (whole) {
    FUZZ_CHECK(std::isfinite(*whole));
    FUZZ_CHECK(leading == *whole);
    checkRoundTrip(*whole);
  }
  if (i32) {
    FUZZ_CHECK(whole.has_value());
    FUZZ_CHECK(std::fabs(*whole - *i32) <= 0.5);
    FUZZ_CHECK(textToInt32(std::to_string(*i32)) == *i32);
    FUZZ_CHECK(textToInt32(numberToText(*i32)) == *i32);
  }
  checkRoundTrip(leading);

  // The dialog's checks with the text as the weapon ID, and with it split
  // into the three boxes.
  if (!checkNewValues("gun", "Gun", text)) {
    FUZZ_CHECK(weaponIdNumber(text).has_value());
    FUZZ_CHECK(leadingNumber(text) != 0);
  }
  const std::size_t a = size / 3, b = 2 * size / 3;
  const std::string_view t1 = text.substr(0, a), t2 = text.substr(a, b - a), t3 = text.substr(b);
  if (!checkNewValues(t1, t2, t3)) {
    FUZZ_CHECK(!t1.empty() && !t2.empty() && !t3.empty());
    FUZZ_CHECK(weaponIdNumber(t3).has_value());
  }

  // The input's first bytes taken as a double and as a 32-bit number.
  if (size >= sizeof(double)) {
    double x;
    std::memcpy(&x, data, sizeof x);
    checkRoundTrip(x);
  }
  if (size >= sizeof(std::int32_t)) {
    std::int32_t n;
    std::memcpy(&n, data, sizeof n);
    FUZZ_CHECK(textToInt32(std::to_string(n)) == n);
    FUZZ_CHECK(textToInt32(numberToText(n)) == n);
  }
  return 0;
}
