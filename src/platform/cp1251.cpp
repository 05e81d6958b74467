#include "platform/cp1251.h"

#include <array>

namespace orbistan {

namespace {

// Code points of the bytes 0x80 ... 0xBF; 0xC0 ... 0xFF are U+0410 ... U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; advances i. -1 when malformed.
long nextCodePoint(std::string_view text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i++]);
    if (b0 < 0x80) {
        return b0;
    }
    int extra = 0;
    long cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07;
    } else {
        return -1;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return -1;
        }
        cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    static constexpr long kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return -1;
    }
    return cp;
}

template <typename OnUnknown>
bool encode(std::string_view utf8, std::string& out, OnUnknown onUnknown) {
    for (std::size_t i = 0; i < utf8.size();) {
        const long cp = nextCodePoint(utf8, i);
        const int byte = cp < 0 ? -1 : cp1251ByteOf(static_cast<char32_t>(cp));
        if (byte < 0) {
            if (!onUnknown(out)) {
                return false;
            }
            continue;
        }
        out += static_cast<char>(byte);
    }
    return true;
}

} // namespace

char32_t cp1251CodePoint(unsigned char byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= 0xC0) {
        return 0x0410 + (byte - 0xC0);
    }
    return kHigh[byte - 0x80];
}

int cp1251ByteOf(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<int>(cp);
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        return static_cast<int>(0xC0 + (cp - 0x0410));
    }
    for (std::size_t k = 0; k < kHigh.size(); ++k) {
        if (kHigh[k] == cp && cp != 0xFFFD) {
            return static_cast<int>(0x80 + k);
        }
    }
    return -1;
}

std::string cp1251ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        appendUtf8(out, cp1251CodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

bool isUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (nextCodePoint(bytes, i) < 0) {
            return false;
        }
    }
    return true;
}

std::string displayText(std::string_view bytes) {
    return isUtf8(bytes) ? std::string(bytes) : cp1251ToUtf8(bytes);
}

std::string visibleText(std::string_view bytes, bool keepLineBreaks) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const char c : displayText(bytes)) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && !(keepLineBreaks && b == '\n')) || b == 0x7f) {
            out += "\\x";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> utf8ToCp1251(std::string_view utf8) {
    std::string out;
    if (!encode(utf8, out, [](std::string&) { return false; })) {
        return std::nullopt;
    }
    return out;
}

std::string utf8ToCp1251Lossy(std::string_view utf8) {
    std::string out;
    encode(utf8, out, [](std::string& o) {
        o += '?';
        return true;
    });
    return out;
}

} // namespace orbistan
