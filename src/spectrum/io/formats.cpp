#include "spectrum/io/formats.h"

#include "spectrum/io/audio.h"

#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "spectrum/io/mat_file.h"
#include "spectrum/io/text_file.h"
#include "spectrum/io/uff.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace orbistan {

const std::vector<const FileFormat*>& fileFormats() {
    // MATLAB first: libsndfile would read a MATLAB file as sound at a rate it does not hold.
    // Text last: it claims whatever no other format does.
    static const std::vector<const FileFormat*> formats = {&matlabFormat(), &uffFormat(),
                                                           &audioFormat(), &textFileFormat()};
    return formats;
}

bool hasExtension(const std::filesystem::path& path, const std::vector<std::string>& extensions) {
    std::string ext = path.extension().string();
    if (ext.empty()) {
        return false;
    }
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(extensions.begin(), extensions.end(), ext.substr(1)) != extensions.end();
}

std::string readTextFileBytes(const std::filesystem::path& path) {
    const std::string name = displayName(path);
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) > kTextFileLimit && !ec) {
        throw SpectrumFileError({ProblemKind::TooLarge, name, "", "он больше 256 МБ"});
    }
    FileBytes file = readDataFile(path, kTextFileLimit);
    if (file.error != 0) {
        throw SpectrumFileError(readFailure(name, file.error));
    }
    return std::move(file.bytes);
}

int chosenIndex(const SourceChoice& choice, int count, int fallback, const std::string& fileName,
                const std::string& what) {
    if (!choice.index) {
        return fallback;
    }
    if (*choice.index < 0 || *choice.index >= count) {
        throw SpectrumFileError({ProblemKind::NotOffered, fileName, "",
                                 "в нём нет " + what + " " + std::to_string(*choice.index + 1)});
    }
    return *choice.index;
}

namespace {

// The first bytes, read without blocking: the path was checked to be a regular file.
std::string headOf(const std::filesystem::path& path) {
    requireRegularFile(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        throw SpectrumFileError(readFailure(displayName(path), runtimeCodeFromErrno(errno)));
    }
    std::string head(kSniffBytes, '\0');
    const ssize_t got = ::read(fd, head.data(), head.size());
    ::close(fd);
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return head;
}

} // namespace

const FileFormat& formatOf(const std::filesystem::path& path) {
    const std::string head = headOf(path);
    for (const FileFormat* format : fileFormats()) {
        if (format->sniff(head, path)) {
            return *format;
        }
    }
    return textFileFormat();
}

namespace {

// Numbers no measurement gives, whose squares and sums would overflow the transforms and the
// statistics: refused, naming where.
constexpr double kLargestValue = 1e30;
// Spectra are of frequencies a recording can hold, their lines at least this far apart.
constexpr double kFinestResolution = 1e-6;

void requirePhysicalRecord(const Waveform& w, const std::string& name) {
    for (std::size_t i = 0; i < w.samples.size(); ++i) {
        if (!(std::abs(w.samples[i]) <= kLargestValue)) {
            throw SpectrumFileError({ProblemKind::Damaged, name, "отсчёт " + std::to_string(i + 1),
                                     exactText(w.samples[i]) + " — не измеренное значение"});
        }
    }
}

void requirePhysicalSpectrum(const Spectrum& s, const std::string& name) {
    for (std::size_t i = 0; i < s.frequency.size(); ++i) {
        if (!(s.frequency[i] >= 0 && s.frequency[i] <= kMaxSampleRate)) {
            throw SpectrumFileError(
                {ProblemKind::Damaged, name, "точка " + std::to_string(i + 1),
                 "частота " + exactText(s.frequency[i]) + " Гц вне 0 … 10 МГц"});
        }
        if (!(std::abs(s.amplitude[i]) <= kLargestValue)) {
            throw SpectrumFileError(
                {ProblemKind::Damaged, name, "точка " + std::to_string(i + 1),
                 "амплитуда " + exactText(s.amplitude[i]) + " — не измеренное значение"});
        }
    }
    if (!(s.resolution >= kFinestResolution)) {
        throw SpectrumFileError(
            {ProblemKind::Damaged, name, "",
             "линии спектра в среднем через " + exactText(s.resolution) + " Гц: меньше 1 мкГц"});
    }
}

} // namespace

FileContents readSpectrumFile(const std::filesystem::path& path, const SourceChoice& choice,
                              const Progress& progress) {
    const std::string name = displayName(path);
    if (choice.rate) {
        requireSampleRate(*choice.rate, name); // before the file is read
    }
    FileContents c = formatOf(path).read(path, choice, progress);
    if (c.spectrum) {
        c.spectrum->source = name;
        requirePhysicalSpectrum(*c.spectrum, name);
    }
    if (c.record) {
        requirePhysicalRecord(*c.record, name);
        if (c.record->rateStated) {
            c.statedRate = c.record->sampleRate;
        } else if (choice.folderRate && c.format == textFileFormat().key) {
            c.record->sampleRate = *choice.folderRate;
            c.rateGiven = true;
        } else if (const auto it = choice.assumedRates.find(c.format);
                   it != choice.assumedRates.end()) {
            c.record->sampleRate = it->second;
        }
        c.record->sampleRate = choice.rate.value_or(c.record->sampleRate);
        requireSampleRate(c.record->sampleRate, name);
    }
    return c;
}

FileContents openSpectrumFile(const std::filesystem::path& path, const SourceChoice& choice,
                              const TransformSettings& settings, const Progress& progress) {
    // Reading is most of the time for a long record, the transform the rest.
    FileContents c = readSpectrumFile(path, choice,
                                      Progress([&](double f) { progress.step(0.7 * f); }, nullptr));
    if (c.record) {
        const Progress transforming([&](double f) { progress.step(0.7 + 0.3 * f); }, nullptr);
        try {
            c.spectrum = recordSpectrum(*c.record, settings, transforming);
        } catch (const SpectrumFileError& e) {
            throw e.of(displayName(path));
        }
        c.spectrum->source = displayName(path);
    }
    return c;
}

namespace {

std::string patterns(const FileFormat& f) {
    std::string out;
    for (const std::string& ext : f.extensions) {
        out += (out.empty() ? "*." : " *.") + ext;
    }
    return out;
}

} // namespace

std::string fileDialogFilter() {
    std::string all, each;
    for (const FileFormat* f : fileFormats()) {
        all += (all.empty() ? "" : " ") + patterns(*f);
        each += ";;" + f->name + " (" + patterns(*f) + ")";
    }
    return "Все поддерживаемые (" + all + ")" + each + ";;Все файлы (*)";
}

std::string formatList() {
    std::string out;
    for (const FileFormat* f : fileFormats()) {
        out += "  " + f->key + ": " + patterns(*f) + "\n";
    }
    return out;
}

} // namespace orbistan
