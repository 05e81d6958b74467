#include "spectrum/open_file.h"

#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "spectrum/mat_file.h"
#include "spectrum/text_spectrum.h"
#include "spectrum/uff.h"

namespace orbistan {

namespace {

std::string readTextFile(const std::filesystem::path& path) {
    const std::string name = displayName(path);
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) > kTextSpectrumLimit && !ec) {
        throw SpectrumFileError(fileMessagePrefix(name) + "он больше 256 МБ");
    }
    FileBytes file = readDataFile(path, kTextSpectrumLimit);
    if (file.error != 0) {
        throw SpectrumFileError(fileMessagePrefix(name) + runtimeErrorText(file.error));
    }
    return std::move(file.bytes);
}

// A universal file's dataset: a time response is a waveform, anything else a spectrum.
struct UffChoice {
    std::optional<Recording> recording;
    std::optional<Spectrum> spectrum;
};

UffChoice fromUff(const std::filesystem::path& path, std::string_view bytes,
                  const SourceChoice& choice, const Progress& progress) {
    const std::string name = displayName(path);
    std::vector<UffFunction> functions = readUff58(bytes, name, progress);
    if (choice.channel < 0 || choice.channel >= static_cast<int>(functions.size())) {
        throw SpectrumFileError(fileMessagePrefix(name) + "в нём нет набора 58 номер " +
                                std::to_string(choice.channel + 1));
    }
    UffFunction& f = functions[static_cast<std::size_t>(choice.channel)];
    const std::string where = "набор 58 со строки " + std::to_string(f.firstLine) + ": ";
    UffChoice out;
    if (f.functionType == 1) {
        if (!f.even) {
            throw SpectrumFileError(fileMessagePrefix(name) + where +
                                    "запись сигнала с неравномерным шагом");
        }
        Recording r;
        r.waveform.sampleRate = 1 / f.abscissaIncrement;
        r.waveform.channels = static_cast<int>(functions.size());
        r.waveform.samples = std::move(f.ordinate);
        r.info = {r.waveform.channels, r.waveform.sampleRate,
                  static_cast<std::int64_t>(r.waveform.samples.size()), "UFF 58, " + f.title};
        out.recording = std::move(r);
        return out;
    }
    Spectrum s;
    s.source = name;
    s.amplitude = std::move(f.ordinate);
    s.frequency.resize(s.amplitude.size());
    for (std::size_t i = 0; i < s.frequency.size(); ++i) {
        s.frequency[i] = f.even ? f.abscissaMinimum + static_cast<double>(i) * f.abscissaIncrement
                                : f.abscissa[i];
        if (!(s.frequency[i] >= 0) || (i > 0 && !(s.frequency[i] > s.frequency[i - 1]))) {
            throw SpectrumFileError(fileMessagePrefix(name) + where + "частота точки " +
                                    std::to_string(i + 1) + " не возрастает");
        }
    }
    if (s.frequency.size() < 3) {
        throw SpectrumFileError(fileMessagePrefix(name) + where + "в спектре меньше трёх точек");
    }
    s.resolution = (s.frequency.back() - s.frequency.front()) / (s.frequency.size() - 1);
    s.amplitudeLabel = f.ordinateLabel.empty() ? "Амплитуда" : f.ordinateLabel;
    if (!f.ordinateUnits.empty()) {
        s.amplitudeLabel += ", " + f.ordinateUnits;
    }
    out.spectrum = std::move(s);
    return out;
}

} // namespace

namespace {

// The waveform of the file; or, for a text or universal file holding a spectrum, its bytes,
// so that they are read once.
struct Contents {
    std::optional<Recording> recording;
    std::string bytes;
};

// MATLAB files first: libsndfile also reads MATLAB files, as sound at a rate they do not hold.
Contents readContents(const std::filesystem::path& path, const SourceChoice& choice,
                      const Progress& progress) {
    Contents c;
    if (const auto vectors = listMatVectors(path)) {
        MatRecording m = readMatRecording(path, choice.variable, progress);
        Recording r;
        r.waveform.sampleRate = m.sampleRate.value_or(kDefaultMatSampleRate);
        r.waveform.channels = 1;
        r.waveform.samples = std::move(m.samples);
        r.info = {1, r.waveform.sampleRate, static_cast<std::int64_t>(r.waveform.samples.size()),
                  "MATLAB, " + m.variable};
        r.shaftRpm = m.shaftRpm;
        r.variable = m.variable;
        for (const MatVector& v : *vectors) {
            if (v.length >= 2) { // the chooser offers records, not the scalars beside them
                r.variables.push_back(v.name);
            }
        }
        c.recording = std::move(r);
        return c;
    }
    if (const std::optional<WaveformInfo> info = probeWaveform(path)) {
        Recording r;
        r.waveform = readWaveform(path, choice.channel, progress);
        r.info = *info;
        c.recording = std::move(r);
        return c;
    }
    c.bytes = readTextFile(path);
    return c;
}

} // namespace

std::optional<Recording> readRecording(const std::filesystem::path& path,
                                       const SourceChoice& choice, const Progress& progress) {
    Contents c = readContents(path, choice, progress);
    if (!c.recording && looksLikeUff(c.bytes)) {
        return fromUff(path, c.bytes, choice, progress).recording;
    }
    return std::move(c.recording);
}

OpenedSpectrum openSpectrumFile(const std::filesystem::path& path, const SourceChoice& choice,
                                const TransformSettings& settings, const Progress& progress) {
    const std::string name = displayName(path);
    OpenedSpectrum opened;
    // Reading is most of the time for a long record, the transform the rest.
    const Progress reading([&](double f) { progress.step(0.7 * f); }, nullptr);
    Contents c = readContents(path, choice, reading);
    std::optional<Spectrum> spectrum;
    if (!c.recording && looksLikeUff(c.bytes)) {
        UffChoice u = fromUff(path, c.bytes, choice, reading);
        c.recording = std::move(u.recording);
        spectrum = std::move(u.spectrum);
    }
    if (c.recording) {
        Recording& r = *c.recording;
        const Progress transforming([&](double f) { progress.step(0.7 + 0.3 * f); }, nullptr);
        try {
            opened.spectrum = amplitudeSpectrum(r.waveform.samples, r.waveform.sampleRate, settings,
                                                transforming);
        } catch (const SpectrumFileError& e) {
            throw SpectrumFileError(fileMessagePrefix(name) + e.what());
        }
        opened.spectrum.source = name;
        opened.waveform = r.info;
        opened.shaftRpm = r.shaftRpm;
        opened.variables = std::move(r.variables);
        opened.variable = r.variable;
        opened.record = std::move(r.waveform);
        return opened;
    }
    opened.spectrum = spectrum ? std::move(*spectrum) : readTextSpectrum(c.bytes, name, progress);
    return opened;
}

} // namespace orbistan
