#pragma once
// Number texts as the user types them and as the program shows and stores them.
// Texts are code page 1251 bytes: one byte is one character.

#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

// Only this many leading characters of a number text are ever read.
inline constexpr std::size_t kNumberTextLimit = 100;

// The decimal comma: the first non-digit character, if it is a comma, becomes a point.
// Nothing else is looked at, so "-1,5" keeps its comma and fails to read.
std::string commaFix(std::string_view text);

// The text as a field is read: cut to kNumberTextLimit characters, then the comma fix.
std::string fieldNumberText(std::string_view text);

// Reads a number text (after the comma fix): optional leading blanks, optional sign,
// digits with an optional point (either side may be empty), optional exponent.
// Nothing may follow. The value is read in extended precision and stored as a 64-bit
// real; a text whose value does not fit a 64-bit real is unreadable like any other.
std::optional<double> readNumber(std::string_view text);

// The general text form: at most 15 significant digits, decimal comma, no trailing
// zeros; exponent form ("1,5E-7", "1E15") outside 0,0001 <= |v| < 10^15.
std::string formatGeneral(double value);

// A bearing's geometry as a report states it: "d = 25 мм, D = 52 мм, Dw = 7,94 мм, Z = 9, α = 0°".
std::string geometryText(double d, double D, double dw, double Z, double a);

// The real form of the data files: exactly 23 characters, e.g. " 2.50000000000000E+0001".
std::string formatFileReal(double value);

// Rounds to the nearest multiple of 1/precision (ties to even) when precision > 1.
double roundToPrecision(double value, int precision);

} // namespace orbistan
