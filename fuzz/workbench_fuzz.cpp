// Any bytes as the spectrum window's settings file: every value read is within its range,
// and the settings written from it read back the same.
#include "spectrum/workbench/workbench_settings.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orbistan;
    const WorkbenchSettings s = parseWorkbenchSettings({reinterpret_cast<const char*>(data), size});
    if (s.harmonics < 1 || s.harmonics > kMaxMarkerHarmonics || s.sidebands < 0 ||
        s.sidebands > kMaxSidebands || s.peaks < 1 || s.peaks > kMaxPeakRows ||
        (s.transform.lines != 0 && std::find(kLineChoices.begin(), kLineChoices.end(),
                                             s.transform.lines) == kLineChoices.end())) {
        std::abort();
    }
    if (!(s.slipPercent >= 0 && s.slipPercent <= kMaxSlipPercent)) {
        std::abort();
    }
    for (const auto& [format, rate] : s.statedRates) {
        if (format.empty() || !(rate >= kMinSampleRate && rate <= kMaxSampleRate)) {
            std::abort();
        }
    }
    if (s.transform.averages < 0 || s.transform.averages > kMaxAverages ||
        !(s.envelopeSpan >= 0 && s.envelopeSpan <= kMaxSampleRate)) {
        std::abort();
    }
    for (const auto& [number, place] : s.places) {
        // Each place is one line of three fields: no tabs or line ends in any.
        for (const std::string* field : {&number, &place.machine, &place.point}) {
            if (field->find_first_of("\t\r\n") != std::string::npos) {
                std::abort();
            }
        }
        if (number.empty() || (place.machine.empty() && place.point.empty())) {
            std::abort();
        }
    }
    if (!(parseWorkbenchSettings(formatWorkbenchSettings(s)) == s)) {
        std::abort();
    }
    return 0;
}
