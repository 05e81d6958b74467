// Any bytes as the settings file: the reader refuses or reads four integers, and what it
// reads is written back to a file that reads the same.
#include "datafiles/settings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto settings = orbistan::parseSettings(bytes);
    if (!settings) {
        return 0;
    }
    const std::string written = orbistan::formatSettings(*settings);
    if (orbistan::parseSettings(written) != settings || written.find('\n') + 1 != written.size()) {
        std::abort(); // one line that reads back to the same values
    }
    return 0;
}
