#pragma once
// Turning field text into numbers and numbers into field text.
//
// Lenient rule: blanks anywhere are ignored and the longest leading decimal number
// (sign, digits, point, digits, exponent) is taken; anything else reads as 0. It never
// fails. A leading number too large for a double also reads as 0.
// Strict rule: the whole text, blanks around it aside, must be one decimal number
// (sign, digits with an optional point, optional exponent) that fits a double.
// No thousands separators, no "inf"/"nan".
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

double ReadLenient(std::string_view text);

// The numeric test of the strict rule.
bool IsNumeric(std::string_view text);

// The strict reading: nullopt where IsNumeric is false.
std::optional<double> ReadStrict(std::string_view text);

// A text that stands for a number no double holds: nan or inf (any case, signed; also
// "infinity" and "nan(...)"), or a decimal too large for a double ("1e999"). Blanks around
// it are ignored.
bool IsNonFiniteNumber(std::string_view text);

// Formats with one of the fixed patterns ("#.000", "0.0000", "00", "00.0", ".000" ...).
// Rounds half away from zero on the value's 15-significant-digit decimal text.
// A value that rounds to zero carries no minus sign. Non-finite values give "".
std::string FormatPattern(double value, std::string_view pattern);
// The same text appended to `out` (nothing for a value that is not finite).
void AppendPattern(std::string& out, double value, std::string_view pattern);

// General number text: 15 significant digits, no trailing zeros or point, "0." before
// fractions, "-" for negatives, no leading blank. Magnitudes of 1e15 and above, or below
// 1e-4, are written with an exponent ("1E+20", "1.5E-07").
std::string GeneralNumberText(double value);
// The same text appended to `out` (nothing for a value that is not finite).
void AppendGeneralNumber(std::string& out, double value);

// Text with blanks (space, tab) removed from both ends.
std::string_view TrimBlanks(std::string_view text);

// True when the text holds only blanks (or nothing): such a field counts as empty.
bool IsBlank(std::string_view text);

}  // namespace vantrel
