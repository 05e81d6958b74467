#pragma once
// The one codec between code page 1251 (the data files, the core's texts) and UTF-8
// (the terminal, the file names on disk). The window converts through it as well.

#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

// Every byte has a meaning except 0x98, which is unassigned; it becomes U+FFFD.
std::string cp1251ToUtf8(std::string_view bytes);

// Empty when some character has no code page 1251 byte (or the UTF-8 is malformed):
// such a text must not be changed silently on its way to a file.
std::optional<std::string> utf8ToCp1251(std::string_view utf8);

// For texts that are only read as numbers: a character code page 1251 cannot hold becomes
// '?', which no number contains, so the text stays unreadable rather than changing value.
std::string utf8ToCp1251Lossy(std::string_view utf8);

// Whether the bytes are well-formed UTF-8.
bool isUtf8(std::string_view bytes);

// A text of unknown encoding for display: as it is when it is UTF-8, else read as code page
// 1251, the encoding of the Russian texts that are not UTF-8.
std::string displayText(std::string_view bytes);

// Text from a file for a message, a list or a terminal: readable as displayText makes it,
// its control characters (but line breaks, when kept) shown as \xHH, so that no escape
// sequence or bell reaches a terminal and no name hides what follows it.
std::string visibleText(std::string_view bytes, bool keepLineBreaks = false);

// The code page 1251 byte of a Unicode code point, or -1.
int cp1251ByteOf(char32_t codePoint);
// The Unicode code point of a code page 1251 byte (U+FFFD for 0x98).
char32_t cp1251CodePoint(unsigned char byte);

} // namespace orbistan
