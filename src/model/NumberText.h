#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Reads the leading number of a typed text. The first comma counts as a
// decimal point, so "1,5" and "1.5" both give 1.5 whatever the user's number
// settings; blanks, tabs and line feeds are ignored wherever they stand;
// "&H" and "&O" introduce hexadecimal and octal integers; reading stops at
// the first character that cannot continue the number, and a text without a
// leading number gives 0. Never fails. A number too large for a double gives
// an infinity, which ToStoredSingle turns into 0.
double TextToNumber(std::string_view text);

// A typed value as the model stores it: single precision, and 0 when the
// value lies beyond the single-precision range or is not finite.
float ToStoredSingle(double value);

// The value rounded to two decimals, an exact tie going to the even digit
// (0.125 -> "0.12", 0.375 -> "0.38"), without trailing zeros or a point for
// whole numbers, with the given decimal separator ("." or the user's ",").
std::string TwoDecimalText(double value, std::string_view decimalSeparator);

// The value laid out by a numeric pattern for labels: "0" and "#" are digit
// places, "." the decimal point; rounding to the pattern's decimals sends
// ties away from zero. A comma produced as decimal separator becomes a
// point, a trailing point is dropped, and the text is padded with blanks in
// front to the pattern's length. So with "0.0": 5 -> "5.0", 12.25 -> "12.3".
std::string NumberToText(double value, std::string_view pattern, std::string_view decimalSeparator);

// Integer nearest to the value, exact halves going to the even integer.
long long RoundHalfEven(double value);

}  // namespace tarnwick
