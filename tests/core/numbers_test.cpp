// Text-to-number and number-to-text rules.
#include <gtest/gtest.h>

#include <cmath>

#include "text/numbers.h"

namespace qm {
namespace {

TEST(NumbersTest, LeadingNumber) {
  const std::pair<const char*, double> cases[] = {
      {"7abc", 7},  {"abc", 0},     {"  12", 12}, {"1 2 3", 123}, {"\t-5", -5},
      {"- 5", -5},  {"1.5.2", 1.5}, {"1\n2", 12}, {"1E+2x", 100}, {"2d2", 200},
      {"&H10", 16}, {"&HFFFF", -1}, {"&O17", 15}, {"&o8", 0},     {"&Hzz", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(leadingNumber(text), value) << text;
}

TEST(NumbersTest, WholeTextToInt32RoundsHalfToEven) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"12.5", 12},
      {"13.5", 14},
      {"-2.5", -2},
      {"-3.5", -4},
      {" 42 ", 42},
      {"0.4", 0},
      {"7abc", std::nullopt},
      {"1 2", std::nullopt},
      {"", std::nullopt},
      {"1e999", std::nullopt},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(textToInt32(text), value) << text;
}

TEST(NumbersTest, WholeNumberIsNineDigitsAtMost) {
  const std::pair<const char*, std::optional<long>> cases[] = {
      {" \t+12 ", 12},       {"-7", -7},         {"999999999", 999999999}, {"1000000000", std::nullopt},
      {"1.0", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt},      {"1 2", std::nullopt},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(wholeNumber(text), value) << text;
}

TEST(NumbersTest, NumberToTextUsesFifteenDigits) {
  const std::pair<double, const char*> cases[] = {
      {123456789012345.0, "123456789012345"},
      {1e15, "1E+15"},
      {-0.0, "0"},
      {1.0 / 3.0, "0.333333333333333"},
  };
  for (const auto& [x, text] : cases) EXPECT_EQ(numberToText(x), text) << x;
}

}  // namespace
}  // namespace qm
