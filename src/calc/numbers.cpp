#include "calc/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace orbistan {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// strtold must not follow the process locale (Qt switches it to the user's one).
locale_t cLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
    return loc;
}

// Decimal digits and exponent of |value| rounded to 15 significant digits.
struct Decimal15 {
    char digits[16]; // 15 digits and a terminator
    int exponent;    // value = d.dddddddddddddd * 10^exponent
};

Decimal15 toDecimal15(double value) {
    char buf[40];
    // Correctly rounded, like printf's "%.14e", and locale-free: "d.ddddddddddddddde[+-]xx".
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value),
                                   std::chars_format::scientific, 14);
    *res.ptr = '\0';
    Decimal15 r{};
    r.digits[0] = buf[0];
    for (int i = 0; i < 14; ++i) {
        r.digits[i + 1] = buf[i + 2];
    }
    r.digits[15] = '\0';
    r.exponent = std::atoi(buf + 17);
    return r;
}

} // namespace

std::string commaFix(std::string_view text) {
    std::string fixed(text);
    for (char& c : fixed) {
        if (isDigit(c)) {
            continue;
        }
        if (c == ',') {
            c = '.';
        }
        break;
    }
    return fixed;
}

std::string fieldNumberText(std::string_view text) {
    return commaFix(text.substr(0, std::min(text.size(), kNumberTextLimit)));
}

namespace {

// The mantissa at text[i]: an optional sign, digits and at most one point, copied into clean.
// False for none at all (empty, blanks only or a lone sign).
bool takeMantissa(std::string_view text, std::size_t& i, std::string& clean) {
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        clean += text[i++];
    }
    std::size_t digits = 0;
    bool point = false;
    while (i < text.size() && (isDigit(text[i]) || (text[i] == '.' && !point))) {
        if (text[i] == '.') {
            point = true;
        } else {
            ++digits;
        }
        clean += text[i++];
    }
    if (digits == 0 && point) {
        clean += '0'; // a lone point reads as 0
    }
    return digits > 0 || point;
}

// An exponent at text[i], if any: "e" or "E", an optional sign, at least one digit.
bool takeExponent(std::string_view text, std::size_t& i, std::string& clean) {
    if (i == text.size() || (text[i] != 'e' && text[i] != 'E')) {
        return true;
    }
    clean += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        clean += text[i++];
    }
    const std::size_t start = i;
    while (i < text.size() && isDigit(text[i])) {
        clean += text[i++];
    }
    return i > start;
}

} // namespace

std::optional<double> readNumber(std::string_view text) {
    text = text.substr(0, std::min(text.size(), kNumberTextLimit));
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    std::string clean;
    if (!takeMantissa(text, i, clean) || !takeExponent(text, i, clean) || i != text.size()) {
        return std::nullopt;
    }
    const long double wide = strtold_l(clean.c_str(), nullptr, cLocale());
    const double value = static_cast<double>(wide);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string formatGeneral(double value) {
    if (!std::isfinite(value)) {
        return {}; // computations refuse such values before they are shown
    }
    if (value == 0) {
        return "0";
    }
    const Decimal15 dec = toDecimal15(value);
    std::string digits(dec.digits);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string out = value < 0 ? "-" : "";
    const int e = dec.exponent;
    if (e >= -4 && e <= 14) {
        if (e < 0) {
            out += "0,";
            out.append(static_cast<std::size_t>(-e - 1), '0');
            out += digits;
        } else if (static_cast<int>(digits.size()) <= e + 1) {
            out += digits;
            out.append(static_cast<std::size_t>(e + 1) - digits.size(), '0');
        } else {
            out += digits.substr(0, static_cast<std::size_t>(e + 1));
            out += ',';
            out += digits.substr(static_cast<std::size_t>(e + 1));
        }
        return out;
    }
    out += digits[0];
    if (digits.size() > 1) {
        out += ',';
        out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(e);
    return out;
}

std::string formatFileReal(double value) {
    if (!std::isfinite(value)) {
        std::string word = std::isnan(value) ? "Nan" : (value > 0 ? "+Inf" : "-Inf");
        return std::string(23 - word.size(), ' ') + word;
    }
    std::string out = value < 0 ? "-" : " ";
    if (value == 0) {
        return out + "0.00000000000000E+0000";
    }
    const Decimal15 dec = toDecimal15(value);
    out += dec.digits[0];
    out += '.';
    out += std::string_view(dec.digits + 1, 14);
    // A double's decimal exponent has at most three digits.
    const std::string digits = std::to_string(std::abs(dec.exponent));
    out += dec.exponent < 0 ? "E-" : "E+";
    out.append(4 - digits.size(), '0');
    return out + digits;
}

double roundToPrecision(double value, int precision) {
    if (precision <= 1) {
        return value;
    }
    const long double p = precision;
    const long double scaled = p * static_cast<long double>(value);
    // Beyond 2^63 an extended value has no fraction left to round.
    if (!(std::fabs(scaled) < 0x1p63L)) {
        return value;
    }
    // Adding 2^63 leaves no fraction bits in the 64-bit mantissa, so the default rounding
    // mode rounds to a whole number, halves to the even neighbour, without a library call.
    constexpr long double kShift = 0x1p63L;
    const long double whole = scaled >= 0 ? (scaled + kShift) - kShift : (scaled - kShift) + kShift;
    return static_cast<double>(whole / p);
}

std::string geometryText(double d, double D, double dw, double Z, double a) {
    return "d = " + formatGeneral(d) + " мм, D = " + formatGeneral(D) +
           " мм, Dw = " + formatGeneral(dw) + " мм, Z = " + formatGeneral(Z) +
           ", α = " + formatGeneral(a) + "°";
}

} // namespace orbistan
