// Any command line, one argument a line, run as orbistan-cli runs it, in a folder of its own
// holding a recording and a spectrum to name: every outcome is an exit code and, for a
// refusal, a readable message; nothing crashes, hangs or takes memory without bound.
// Arguments that reach outside the folder (a '/' in them, "..") are passed over, so that the
// fuzzer reads and writes nothing but its own files; so is a series of synthetic records.
#include "cli/cli.h"

#include "platform/cp1251.h"
#include "spectrum/io/audio.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

void prepareFolder() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("orbistan-cli-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    setenv("HOME", dir.c_str(), 1);
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    std::vector<double> x(8000);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] =
            std::sin(0.3 * static_cast<double>(i)) + 0.2 * std::sin(0.05 * static_cast<double>(i));
    }
    std::ofstream("a.wav", std::ios::binary) << orbistan::encodeWav(x, 8000);
    std::ofstream("a.csv") << "frequency;amplitude\n10;1\n20;2\n30;0,5\n40;3\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool prepared = (prepareFolder(), true);
    (void)prepared;
    std::vector<std::string> args;
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; std::getline(lines, line);) {
        // Outside the folder ('/', ".."), or many files written at once (a series).
        if (line.find('/') != std::string::npos || line.starts_with("..") || line == "--series" ||
            args.size() >= 64) {
            return 0;
        }
        args.push_back(line);
    }
    std::ostringstream out, err;
    const int status = orbistan::runCli(args, out, err);
    if (status < 0 || status > 4 || (status != 0 && err.str().empty()) ||
        !orbistan::isUtf8(err.str())) {
        std::abort();
    }
    return 0;
}
