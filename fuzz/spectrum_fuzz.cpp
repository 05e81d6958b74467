// Any bytes as a text file: the reader refuses with a message, or reads a spectrum whose
// lines ascend and whose numbers are finite (its peaks on its lines), or a record whose
// samples are finite at a rate, never both.
#include "platform/cp1251.h"
#include "spectrum/dsp/peaks.h"
#include "spectrum/io/text_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// A record read from text: its samples finite, its rate a rate, its channel among its columns.
void checkRecord(const orbistan::TextContents& t) {
    const orbistan::Waveform& w = *t.record;
    if (w.samples.size() < 3 || !(w.sampleRate > 0) || !std::isfinite(w.sampleRate) ||
        t.channel < 0 || t.channel >= static_cast<int>(t.columns.size()) ||
        w.channels != static_cast<int>(t.columns.size())) {
        std::abort();
    }
    for (const double x : w.samples) {
        if (!std::isfinite(x)) {
            std::abort();
        }
    }
    for (const std::string& c : t.columns) {
        if (!orbistan::isUtf8(c)) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The layout asked for and the channel come from the input's first byte.
    const auto layout = static_cast<orbistan::TextLayout>(size > 0 ? data[0] % 4 : 0);
    const std::optional<int> channel =
        size > 0 && data[0] >= 128 ? std::optional<int>(data[0] % 5) : std::nullopt;
    orbistan::TextContents t;
    try {
        t = orbistan::readTextFile(bytes, "fuzz.txt", layout, channel);
    } catch (const orbistan::SpectrumFileError& e) {
        if (!orbistan::isUtf8(e.what())) {
            std::abort();
        }
        return 0;
    }
    if (t.spectrum.has_value() == t.record.has_value() || !orbistan::isUtf8(t.readAs)) {
        std::abort();
    }
    if (t.record) {
        checkRecord(t);
        return 0;
    }
    const orbistan::Spectrum& s = *t.spectrum;
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
