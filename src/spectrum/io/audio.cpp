#include "spectrum/io/audio.h"

#include "platform/runtime_error.h"
#include "spectrum/io/file_format.h"

#include <fcntl.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>

namespace orbistan {

namespace {

struct CloseFile {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using SoundFile = std::unique_ptr<SNDFILE, CloseFile>;

std::string formatName(int format) {
    std::string name;
    for (const int part : {format & SF_FORMAT_TYPEMASK, format & SF_FORMAT_SUBMASK}) {
        SF_FORMAT_INFO info{};
        info.format = part;
        if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name) {
            name += (name.empty() ? "" : ", ") + std::string(info.name);
        }
    }
    return name;
}

bool lengthUnknown(const SF_INFO& info) {
    return info.frames == SF_COUNT_MAX;
}

[[noreturn]] void refuseTooLong(const std::string& name) {
    throw SpectrumFileError({ProblemKind::TooLarge, name, "",
                             "запись длиннее " + std::to_string(kMaxWaveformFrames) +
                                 " отсчётов, больше прочесть нельзя"});
}

// Opens the file, or returns null when libsndfile does not recognise its format.
SoundFile openSound(const std::filesystem::path& path, SF_INFO& info) {
    requireRegularFile(path);
    info = SF_INFO{};
    // libsndfile tries its MPEG decoder on what it does not know, which complains on stderr.
    const StandardErrorMuted quiet;
    // Opened by its descriptor: libsndfile's own open cuts a path past a thousand bytes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        throw SpectrumFileError(readFailure(displayName(path), runtimeCodeFromErrno(errno)));
    }
    SoundFile file(sf_open_fd(fd, SFM_READ, &info, SF_TRUE)); // closed with it, or on failure
    if (!file) {
        const int error = sf_error(nullptr);
        if (error == SF_ERR_UNRECOGNISED_FORMAT) {
            return nullptr;
        }
        // libsndfile knew the format but not the header's contents; or the system refused.
        if (error == SF_ERR_SYSTEM) {
            throw SpectrumFileError(readFailure(displayName(path), runtimeCodeFromErrno(errno)));
        }
        throw SpectrumFileError(
            {ProblemKind::Damaged, displayName(path), "", "заголовок не читается"});
    }
    const std::string name = displayName(path);
    if (info.channels < 1 || info.samplerate < 1) {
        throw SpectrumFileError(
            {ProblemKind::Damaged, name, "", "в заголовке нет каналов или частоты дискретизации"});
    }
    if (info.frames < 1) {
        throw SpectrumFileError({ProblemKind::Damaged, name, "", "в нём нет ни одного отсчёта"});
    }
    // A stream may leave its length unknown (a FLAC file's total of 0): it is read to its end.
    if (info.frames > kMaxWaveformFrames && !lengthUnknown(info)) {
        refuseTooLong(name);
    }
    return file;
}

// Why reading stopped early at a sample, in the program's language: libsndfile's own texts
// are English.
FileProblem readBreak(int error, const std::string& name, sf_count_t sample) {
    FileProblem p = error == SF_ERR_SYSTEM ? readFailure(name, runtimeCodeFromErrno(errno))
                                           : FileProblem{ProblemKind::Damaged, name, "", ""};
    p.where = "отсчёт " + std::to_string(sample);
    // libsndfile fits an uncompressed length to what the file holds; a compressed stream
    // that ends before its stated length is cut, any other failure is damage.
    if (error != SF_ERR_SYSTEM) {
        p.detail = error == SF_ERR_NO_ERROR ? "файл обрывается" : "данные повреждены";
    }
    return p;
}

} // namespace

std::optional<WaveformInfo> probeWaveform(const std::filesystem::path& path) {
    SF_INFO info;
    const SoundFile file = openSound(path, info);
    if (!file) {
        return std::nullopt;
    }
    return WaveformInfo{info.channels, static_cast<double>(info.samplerate), info.frames,
                        formatName(info.format)};
}

namespace {

// The chosen channel's samples, chunk by chunk, each checked; the message names the sample
// where reading stopped.
void readSamples(SNDFILE* file, const SF_INFO& info, int channel, const std::string& name,
                 std::vector<double>& out, const Progress& progress) {
    // A compressed stream can claim far more than it holds: the room is reserved, never
    // filled ahead of what is decoded. One of unknown length is read until it ends.
    const bool unknown = lengthUnknown(info);
    const sf_count_t frames = unknown ? kMaxWaveformFrames + 1 : info.frames;
    out.reserve(unknown ? 0 : static_cast<std::size_t>(frames));
    constexpr sf_count_t kChunk = 1 << 15;
    const StandardErrorMuted quiet;
    // One channel is read straight into place; of several, the chosen one is picked out.
    std::vector<double> chunk(info.channels > 1 ? static_cast<std::size_t>(kChunk) * info.channels
                                                : 0);
    for (sf_count_t done = 0; done < frames;) {
        progress.step(unknown ? 0.0 : static_cast<double>(done) / frames);
        const sf_count_t want = std::min(kChunk, frames - done);
        out.resize(static_cast<std::size_t>(done + want));
        double* into = info.channels > 1 ? chunk.data() : out.data() + done;
        const sf_count_t got = sf_readf_double(file, into, want);
        if (got <= 0 && unknown && sf_error(file) == SF_ERR_NO_ERROR && done > 0) {
            out.resize(static_cast<std::size_t>(done)); // its end
            return;
        }
        if (got <= 0) {
            throw SpectrumFileError(readBreak(sf_error(file), name, done + 1));
        }
        out.resize(static_cast<std::size_t>(done + got));
        for (sf_count_t i = 0; i < got; ++i) {
            double& v = out[static_cast<std::size_t>(done + i)];
            if (info.channels > 1) {
                v = chunk[static_cast<std::size_t>(i * info.channels + channel)];
            }
            if (!std::isfinite(v)) {
                throw SpectrumFileError({ProblemKind::Damaged, name,
                                         "отсчёт " + std::to_string(done + i + 1), "не число"});
            }
        }
        done += got;
    }
    if (unknown) {
        refuseTooLong(name);
    }
}

} // namespace

Waveform readWaveform(const std::filesystem::path& path, int channel, const Progress& progress) {
    SF_INFO info;
    const SoundFile file = openSound(path, info);
    const std::string name = displayName(path);
    if (!file) {
        throw SpectrumFileError(
            {ProblemKind::Unrecognised, name, "", "это не звуковой файл известного формата"});
    }
    if (channel < 0 || channel >= info.channels) {
        throw SpectrumFileError(
            {ProblemKind::NotOffered, name, "", "в нём нет канала " + std::to_string(channel + 1)});
    }
    Waveform w;
    w.sampleRate = info.samplerate;
    w.channels = info.channels;
    readSamples(file.get(), info, channel, name, w.samples, progress);
    progress.step(1);
    return w;
}

namespace {

// The extensions of every major format libsndfile reads, as it names them; MATLAB's, which
// libsndfile would take for sound, is left to the MATLAB reader, and headerless raw data,
// which it cannot read without being told its layout, is left out.
std::vector<std::string> audioExtensions() {
    std::set<std::string> found = {"ogg", "oga", "aif", "snd", "rf64"};
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension &&
            std::string_view(info.extension) != "mat" &&
            std::string_view(info.extension) != "raw") {
            found.insert(info.extension);
        }
    }
    return {found.begin(), found.end()};
}

bool looksLikeAudio(std::string_view head, const std::filesystem::path& path) {
    static constexpr std::string_view kMagic[] = {"RIFF", "RIFX", "RF64", "BW64", "fLaC", "OggS",
                                                  "FORM", ".snd", "dns.", "caff", "riff", "ID3"};
    for (std::string_view magic : kMagic) {
        if (head.starts_with(magic)) {
            return true;
        }
    }
    return hasExtension(path, audioFormat().extensions);
}

FileContents readAudioFile(const std::filesystem::path& path, const SourceChoice& choice,
                           const Progress& progress) {
    const std::optional<WaveformInfo> info = probeWaveform(path);
    if (!info) {
        throw SpectrumFileError({ProblemKind::Unrecognised, displayName(path), "",
                                 "это не звуковой файл известного формата"});
    }
    FileContents c;
    c.format = audioFormat().key;
    c.description = info->format;
    c.sourceKind = SourceKind::Channel;
    for (int k = 1; k <= info->channels; ++k) {
        c.sources.push_back(std::to_string(k));
    }
    c.source = chosenIndex(choice, info->channels, 0, displayName(path), "канала");
    c.record = readWaveform(path, c.source, progress);
    return c;
}

} // namespace

const FileFormat& audioFormat() {
    static const FileFormat format{"audio", "Звуковые записи", audioExtensions(), looksLikeAudio,
                                   readAudioFile};
    return format;
}

namespace {

// libsndfile writes into memory through these, so that the file is written whole, at once.
struct MemoryFile {
    std::string bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* m = static_cast<MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_CUR   ? m->position
                            : whence == SEEK_END ? static_cast<sf_count_t>(m->bytes.size())
                                                 : 0;
    m->position = std::max<sf_count_t>(0, base + offset);
    return m->position;
}

sf_count_t memoryRead(void* ptr, sf_count_t count, void* user) {
    auto* m = static_cast<MemoryFile*>(user);
    const sf_count_t available =
        std::max<sf_count_t>(0, static_cast<sf_count_t>(m->bytes.size()) - m->position);
    const sf_count_t n = std::min(count, available);
    std::memcpy(ptr, m->bytes.data() + m->position, static_cast<std::size_t>(n));
    m->position += n;
    return n;
}

sf_count_t memoryWrite(const void* ptr, sf_count_t count, void* user) {
    auto* m = static_cast<MemoryFile*>(user);
    const auto end = static_cast<std::size_t>(m->position + count);
    if (m->bytes.size() < end) {
        m->bytes.resize(end);
    }
    std::memcpy(m->bytes.data() + m->position, ptr, static_cast<std::size_t>(count));
    m->position += count;
    return count;
}

sf_count_t memoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

} // namespace

std::string encodeWav(const std::vector<double>& samples, int sampleRate, int format) {
    MemoryFile memory;
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = format != 0 ? format : SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    {
        const SoundFile file(sf_open_virtual(&io, SFM_WRITE, &info, &memory));
        if (!file) {
            throw std::runtime_error(sf_strerror(nullptr));
        }
        sf_writef_double(file.get(), samples.data(), static_cast<sf_count_t>(samples.size()));
    }
    return memory.bytes;
}

} // namespace orbistan
