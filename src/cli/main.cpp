#include "cli/cli.h"

#include "platform/runtime_error.h"

#include <iostream>
#include <streambuf>
#include <string>

namespace {

// Standard error written a line at a time to where the program was started with it: a
// library muting standard error on a worker thread never swallows the program's messages.
class StandardErrorBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            line_.push_back(traits_type::to_char_type(c));
            if (c == '\n') {
                sync();
            }
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        line_.append(s, static_cast<std::size_t>(n));
        if (line_.find('\n') != std::string::npos) {
            sync();
        }
        return n;
    }
    int sync() override {
        orbistan::writeStandardError(line_);
        line_.clear();
        return 0;
    }

private:
    std::string line_;
};

} // namespace

int main(int argc, char** argv) {
    StandardErrorBuffer errorBuffer;
    std::ostream err(&errorBuffer);
    const int status =
        orbistan::runCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, err);
    std::cout.flush();
    err.flush();
    orbistan::quietStandardErrorForExit();
    return status;
}
