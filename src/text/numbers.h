// Conversions between weapon texts and numbers, with the rules weapon files
// are written by. The decimal separator is always the period.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// A text read as a whole as a number: blanks (spaces, tabs) around it, an
// optional sign, digits with at most one decimal point, an optional exponent
// (E or D), or an &H / &O radix number. Anything else is not a number.
std::optional<double> textToDouble(std::string_view text);

// The number a stored value holds, wherever one is sorted, compared or
// computed with: its text before the first ";" read as a whole as a number.
// A key line with a comment or blanks behind its ";" keeps them in its value
// ("3354; // tune"); they are no part of the number.
std::optional<double> valueNumber(std::string_view text);

// True when the text reads as a whole as a number equal to zero; a text that
// is not a number (the empty text included) is not zero.
bool readsAsZero(std::string_view text);

// The leading-number value of a text: blanks, tabs and line feeds are skipped
// wherever they stand, reading stops at the first character that cannot
// continue the number, &H and &O read hexadecimal and octal digits, and a text
// that does not begin with a number is 0. "7abc" is 7.
double leadingNumber(std::string_view text);

// The whole text converted to a 32-bit signed number, a fraction rounded to
// the nearest whole number and a half to the even neighbour. Empty when the
// text is not a number or the result is out of range.
std::optional<std::int32_t> textToInt32(std::string_view text);

// A whole number in decimal: blanks (spaces, tabs) around it, an optional
// sign and one to nine digits. The weapon IDs of the game checks and the
// numbers typed on the command line are read by it.
std::optional<long> wholeNumber(std::string_view text);

// A number as text with at most 15 significant digits, no trailing zeros, and
// the exponent form (1E+20, 1E-05) for very large or small magnitudes.
std::string numberToText(double x);

}  // namespace qm
