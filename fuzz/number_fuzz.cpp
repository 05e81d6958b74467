// Any text typed into a number field: reading never fails other than by refusing, and what
// it reads survives the data files' real form and the display form.
#include "calc/numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string fixed = orbistan::fieldNumberText(text);
    if (fixed.size() > orbistan::kNumberTextLimit) {
        std::abort();
    }
    const auto value = orbistan::readNumber(fixed);
    if (!value) {
        return 0;
    }
    if (!std::isfinite(*value)) {
        std::abort(); // a field never holds infinity
    }
    const std::string file = orbistan::formatFileReal(*value);
    if (file.size() != 23) {
        std::abort();
    }
    const auto back = orbistan::readNumber(file);
    if (!back || orbistan::formatGeneral(*back) != orbistan::formatGeneral(*value)) {
        std::abort(); // fifteen digits written, the same fifteen digits shown
    }
    if (orbistan::formatGeneral(*value).empty()) {
        std::abort();
    }
    for (int p : {100, 1000, 10000, 100000}) {
        if (!std::isfinite(orbistan::roundToPrecision(*value, p))) {
            std::abort();
        }
    }
    return 0;
}
