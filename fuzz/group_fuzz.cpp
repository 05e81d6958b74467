// Any bytes as a group file: the reader refuses or reads 21 slot, and a group written from
// what it read reads back to the same bytes.
#include "datafiles/group_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto slot = orbistan::parseGroup(bytes);
    if (!slot) {
        return 0;
    }
    for (const auto& s : *slot) {
        if (s.number.size() > 50 || s.number.find_first_of("\r\n") != std::string::npos ||
            !std::isfinite(s.Z) || !std::isfinite(s.Fr)) {
            std::abort();
        }
    }
    const std::string written = orbistan::formatGroup(*slot);
    const auto again = orbistan::parseGroup(written);
    if (!again || orbistan::formatGroup(*again) != written) {
        std::abort();
    }
    return 0;
}
