#include "spectrum/open_file.h"

#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "spectrum/text_spectrum.h"

namespace orbistan {

OpenedSpectrum openSpectrumFile(const std::filesystem::path& path, int channel,
                                const TransformSettings& settings, const Progress& progress) {
    const std::string name = displayName(path);
    OpenedSpectrum opened;
    opened.waveform = probeWaveform(path);
    if (opened.waveform) {
        // Reading is most of the time for a long record, the transform the rest.
        const Progress reading([&](double f) { progress.step(0.7 * f); }, nullptr);
        const Waveform w = readWaveform(path, channel, reading);
        const Progress transforming([&](double f) { progress.step(0.7 + 0.3 * f); }, nullptr);
        opened.spectrum = amplitudeSpectrum(w.samples, w.sampleRate, settings, transforming);
        opened.spectrum.source = name;
        return opened;
    }
    progress.step(0);
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) > kTextSpectrumLimit && !ec) {
        throw SpectrumFileError(fileMessagePrefix(name) + "он больше 256 МБ");
    }
    const FileBytes file = readDataFile(path, kTextSpectrumLimit);
    if (file.error != 0) {
        throw SpectrumFileError(fileMessagePrefix(name) + runtimeErrorText(file.error));
    }
    opened.spectrum = readTextSpectrum(file.bytes, name, progress);
    return opened;
}

} // namespace orbistan
