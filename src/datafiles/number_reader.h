#pragma once
// Reading the numbers of the data files one by one, as the text-file reader of the formats
// does: blanks, tabs and line breaks before a number are skipped; a number is the run of
// characters above the blank that follows; the end of the file reads as 0.

#include <optional>
#include <string_view>

namespace orbistan {

class NumberReader {
public:
    explicit NumberReader(std::string_view text) : text_(text) {}

    // False when the run does not convert: a real with a point as decimal mark, or a whole
    // number of 32 bits. A real takes at most 64 characters of the run, a whole number 32.
    bool readReal(double& out);
    bool readInteger(int& out);

    // The rest of the current line, without its end; the reader moves past the line end.
    std::string_view restOfLine();

private:
    std::string_view token(std::size_t limit);

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace orbistan
