// Any bytes as a text spectrum: the reader refuses with a message or reads a spectrum whose
// lines ascend and whose numbers are finite; its peaks lie on its lines.
#include "platform/cp1251.h"
#include "spectrum/dsp/peaks.h"
#include "spectrum/io/text_spectrum.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    orbistan::Spectrum s;
    try {
        s = orbistan::readTextSpectrum(bytes, "fuzz.txt");
    } catch (const orbistan::SpectrumFileError& e) {
        if (!orbistan::isUtf8(e.what())) {
            std::abort();
        }
        return 0;
    }
    if (s.frequency.size() != s.amplitude.size() || s.frequency.size() < 3 ||
        !orbistan::isUtf8(orbistan::amplitudeCaption(s.units)) || !std::isfinite(s.resolution)) {
        std::abort();
    }
    for (std::size_t i = 0; i < s.frequency.size(); ++i) {
        if (!std::isfinite(s.frequency[i]) || !std::isfinite(s.amplitude[i]) ||
            s.frequency[i] < 0 || (i > 0 && s.frequency[i] <= s.frequency[i - 1])) {
            std::abort();
        }
    }
    for (const orbistan::Peak& p : orbistan::findPeaks(s, 5)) {
        if (p.line == 0 || p.line + 1 >= s.frequency.size() ||
            p.frequency < s.frequency[p.line - 1] || p.frequency > s.frequency[p.line + 1]) {
            std::abort();
        }
    }
    return 0;
}
