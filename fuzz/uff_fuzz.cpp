// Any bytes as a universal file: the reader refuses with a readable message or gives
// datasets whose values are finite and whose abscissa, when uneven, matches them.
#include "platform/cp1251.h"
#include "spectrum/io/uff.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<orbistan::UffFunction> functions;
    try {
        functions = orbistan::readUff58(bytes, "fuzz.uff");
    } catch (const orbistan::SpectrumFileError& e) {
        if (!orbistan::isUtf8(e.what())) {
            std::abort();
        }
        return 0;
    }
    for (const orbistan::UffFunction& f : functions) {
        if (f.ordinate.empty() || (!f.even && f.abscissa.size() != f.ordinate.size()) ||
            (f.even && !(f.abscissaIncrement > 0)) || !orbistan::isUtf8(f.ordinateLabel)) {
            std::abort();
        }
        for (double v : f.ordinate) {
            if (!std::isfinite(v)) {
                std::abort();
            }
        }
    }
    return 0;
}
