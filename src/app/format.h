#pragma once
// Number formats and the reading of numeric texts, as the report and the window print them.
//
// Rounding follows classic BASIC: the value is first written with 7 significant digits (a 32-bit
// value) or 15 (a 64-bit value), and that decimal is rounded half away from zero to the pattern's
// decimals. A result that rounds to zero carries no minus sign.
#include <string>
#include <string_view>

namespace ktv {

// Standard patterns.
inline constexpr std::string_view kFmt0 = "0";
inline constexpr std::string_view kFmt1 = "0.0";
inline constexpr std::string_view kFmt2 = "0.00";
inline constexpr std::string_view kFmt3 = "0.000";
inline constexpr std::string_view kFmt4 = "0.0000";
inline constexpr std::string_view kFmt5 = "0.00000";
inline constexpr std::string_view kFmtGrouped = "###,##0";

// Formats with one of the patterns above ("0", "0.0" … "0.00000", "###,##0"; any "0.0…0" works).
std::string FormatValue(float value, std::string_view pattern);
std::string FormatValue(double value, std::string_view pattern);

// The shortest general number form: up to 7 (float) or 15 (double) significant digits, no trailing
// zeros ("1.27", "4", "-0.5"); exponent form ("1E-05", "1.234568E+07") outside the plain range.
std::string ShortestForm(float value);
std::string ShortestForm(double value);

// A numeric text as typed through a Japanese input method, in ASCII: full-width digits, signs,
// decimal point, exponent letters and the ideographic space become their ASCII forms, as do the
// minus sign (U+2212) and the long-vowel mark "ー" that the minus key types in kana mode. Every
// other character is kept. Every reading of a number goes through this.
std::string NarrowNumberText(std::string_view text);

// Leading-number rule: full-width forms are read as ASCII (NarrowNumberText), blanks are skipped,
// the longest leading number is read ("12abc" reads as 12), and a text that does not start with a
// number reads as 0.
double ReadNumber(std::string_view text);

// Degrees and radians with pi taken as the 32-bit float 3.1415925.
inline constexpr float kPi = 3.1415925f;
float DegToRad(float degrees);
float RadToDeg(float radians);

// A value printed with `decimals` decimals ("0.000" by default; 0 to 22) and read back as a
// number, exactly as FormatValue would print it, without building the text. Table totals are sums
// of these. A value that is not finite reads as 0 (the calculations stop on such values anyway).
double AsPrinted(float value, int decimals = 3);

// Stores one double-precision step as a 32-bit float; a finite value beyond the float range
// becomes an infinity of its sign, which the calculations' finiteness checks then catch.
float StoreFloat(double value);

// Round-to-nearest with halves to the even neighbour, as a 16-bit integer conversion does.
int RoundHalfEven(double value);

}  // namespace ktv
