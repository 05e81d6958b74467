#include "spectrum/mat_file.h"

#include "spectrum/file_format.h"

#include "platform/cp1251.h"

#include <matio.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string_view>

namespace orbistan {

namespace {

struct CloseMat {
    void operator()(mat_t* m) const { Mat_Close(m); }
};
struct FreeVar {
    void operator()(matvar_t* v) const { Mat_VarFree(v); }
};
using MatFile = std::unique_ptr<mat_t, CloseMat>;
using MatVar = std::unique_ptr<matvar_t, FreeVar>;

// The lines at stake: matio prints its complaints to stderr by default.
void quietMatio() {
    static const bool once = [] {
        Mat_LogInitFunc("orbistan", [](int, char*) {});
        return true;
    }();
    (void)once;
}

// As long as the longest waveform of the other formats.
constexpr std::int64_t kMaxMatLength = std::int64_t(1) << 27;

bool numeric(const matvar_t& v) {
    return v.class_type >= MAT_C_DOUBLE && v.class_type <= MAT_C_UINT64 && !v.isComplex &&
           v.rank == 2 && v.dims;
}

std::size_t lengthOf(const matvar_t& v) {
    // A vector: one of its two dimensions is 1.
    if (v.dims[0] == 1) {
        return v.dims[1];
    }
    return v.dims[1] == 1 ? v.dims[0] : 0;
}

template <typename T> void copyAs(const void* data, std::size_t n, std::vector<double>& out) {
    const T* p = static_cast<const T*>(data);
    out.assign(p, p + n);
}

std::vector<double> valuesOf(const matvar_t& v, std::size_t n) {
    std::vector<double> out;
    switch (v.class_type) {
    case MAT_C_DOUBLE:
        copyAs<double>(v.data, n, out);
        break;
    case MAT_C_SINGLE:
        copyAs<float>(v.data, n, out);
        break;
    case MAT_C_INT8:
        copyAs<std::int8_t>(v.data, n, out);
        break;
    case MAT_C_UINT8:
        copyAs<std::uint8_t>(v.data, n, out);
        break;
    case MAT_C_INT16:
        copyAs<std::int16_t>(v.data, n, out);
        break;
    case MAT_C_UINT16:
        copyAs<std::uint16_t>(v.data, n, out);
        break;
    case MAT_C_INT32:
        copyAs<std::int32_t>(v.data, n, out);
        break;
    case MAT_C_UINT32:
        copyAs<std::uint32_t>(v.data, n, out);
        break;
    case MAT_C_INT64:
        copyAs<std::int64_t>(v.data, n, out);
        break;
    case MAT_C_UINT64:
        copyAs<std::uint64_t>(v.data, n, out);
        break;
    default:
        break;
    }
    return out;
}

MatFile openMat(const std::filesystem::path& path) {
    requireRegularFile(path);
    quietMatio();
    return MatFile(Mat_Open(path.c_str(), MAT_ACC_RDONLY));
}

// A version 5 file is a 128-byte header and a run of tagged elements, each a type and a
// byte count (a small one packs both and up to four bytes of data into 8 bytes).
struct Tag {
    std::uint32_t type = 0, bytes = 0;
    std::uint64_t data = 0, next = 0; // where its data begins, where the next element does
};

class Version5 {
public:
    explicit Version5(const std::filesystem::path& path) : in_(path, std::ios::binary) {
        char header[128];
        if (!in_.read(header, sizeof header) ||
            !std::string_view(header, 6).starts_with("MATLAB") ||
            std::string_view(header, 10) == "MATLAB 7.3") {
            return; // version 4 has no tagged elements, 7.3 is HDF5, which checks itself
        }
        swap_ = header[126] == 'M' && header[127] == 'I';
        in_.seekg(0, std::ios::end);
        size_ = static_cast<std::uint64_t>(in_.tellg());
        tagged_ = true;
    }
    bool tagged() const { return tagged_; }
    std::uint64_t size() const { return size_; }

    std::optional<std::uint32_t> word(std::uint64_t at) {
        unsigned char b[4];
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(at));
        if (at + 4 > size_ || !in_.read(reinterpret_cast<char*>(b), 4)) {
            return std::nullopt;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= std::uint32_t(b[swap_ ? 3 - i : i]) << (8 * i);
        }
        return v;
    }

    // The element at `at`, or none when its tag or its data runs past the file's end.
    std::optional<Tag> tag(std::uint64_t at) {
        const auto type = word(at), bytes = word(at + 4);
        if (!type || !bytes) {
            return std::nullopt;
        }
        Tag t;
        if ((*type >> 16) != 0) {
            t = {*type & 0xffff, *type >> 16, at + 4, at + 8};
        } else {
            // Padded to 8 bytes, but for compressed elements (type 15), which are not.
            const std::uint64_t padded =
                *type == 15 ? *bytes : ((std::uint64_t(*bytes) + 7) / 8) * 8;
            t = {*type, *bytes, at + 8, at + 8 + padded};
        }
        return t.data + t.bytes <= size_ ? std::optional(t) : std::nullopt;
    }

    std::string text(const Tag& t) {
        std::string s(std::min<std::uint32_t>(t.bytes, 64), '\0');
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(t.data));
        in_.read(s.data(), static_cast<std::streamsize>(s.size()));
        return s;
    }

private:
    std::ifstream in_;
    bool swap_ = false, tagged_ = false;
    std::uint64_t size_ = 0;
};

std::size_t storedSize(std::uint32_t type) {
    switch (type) {
    case 1:
    case 2:
        return 1; // int8, uint8
    case 3:
    case 4:
        return 2; // int16, uint16
    case 5:
    case 6:
    case 7:
        return 4; // int32, uint32, single
    case 9:
    case 12:
    case 13:
        return 8; // double, int64, uint64
    default:
        return 0;
    }
}

// matio sizes a variable by its dimensions and reads what the file holds into it, the rest
// left as whatever memory held: a numeric matrix must hold as many values as its dimensions
// promise. Its sub-elements: array flags, dimensions, name, real part.
std::optional<std::string> shortMatrix(Version5& f, const Tag& matrix) {
    const auto flags = f.tag(matrix.data);
    const auto klass = flags ? f.word(flags->data) : std::nullopt;
    if (!klass || (*klass & 0xff) < 6 || (*klass & 0xff) > 15) {
        return std::nullopt; // not a numeric matrix (a struct, a cell, characters, …)
    }
    const auto dims = f.tag(flags->next);
    const auto name = dims ? f.tag(dims->next) : std::nullopt;
    const auto real = name ? f.tag(name->next) : std::nullopt;
    if (!real || storedSize(real->type) == 0) {
        return std::nullopt;
    }
    std::uint64_t promised = 1;
    for (std::uint64_t at = dims->data; at + 4 <= dims->data + dims->bytes; at += 4) {
        promised *= f.word(at).value_or(0);
        promised = std::min<std::uint64_t>(promised, std::uint64_t(1) << 40);
    }
    const std::uint64_t held = real->bytes / storedSize(real->type);
    if (held >= promised) {
        return std::nullopt;
    }
    return "переменная «" + visibleText(f.text(*name)) + "»: её размеры обещают " +
           std::to_string(promised) + " значений, а в файле их " + std::to_string(held);
}

// What is wrong with a version 5 file's elements: one cut short by the file's end, or a
// matrix holding fewer values than it promises; empty when nothing is.
std::string damagedVersion5(const std::filesystem::path& path) {
    Version5 f(path);
    for (std::uint64_t at = 128; f.tagged() && at < f.size();) {
        const std::optional<Tag> t = f.tag(at);
        if (!t) {
            return "файл обрывается: переменная с байта " + std::to_string(at) + " не дописана";
        }
        // A file's variables are matrices (14) or compressed ones (15): anything else is
        // damage that matio would read as sizes.
        if (t->type != 14 && t->type != 15) {
            return "элемент с байта " + std::to_string(at) + " не переменная (тип " +
                   std::to_string(t->type) + ")";
        }
        if (t->type == 14) {
            if (std::optional<std::string> problem = shortMatrix(f, *t)) {
                return *problem;
            }
        }
        at = t->next;
    }
    return {};
}

// A version 4 file is a run of matrices, each a 20-byte header (type, rows, columns,
// imaginary flag, name length), the name and the data: matio allocates what the header
// says before it reads, so each must fit in the file. Empty when all do.
std::string damagedVersion4(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    for (std::uint64_t at = 0; at < size;) {
        unsigned char h[20];
        in.seekg(static_cast<std::streamoff>(at));
        if (at + 20 > size || !in.read(reinterpret_cast<char*>(h), 20)) {
            return "файл обрывается: переменная с байта " + std::to_string(at) + " не дописана";
        }
        const auto word = [&h](int i, bool big) {
            std::uint32_t v = 0;
            for (int b = 0; b < 4; ++b) {
                v |= std::uint32_t(h[4 * i + (big ? 3 - b : b)]) << (8 * b);
            }
            return v;
        };
        // As matio reads it: little-endian when that gives a valid type, else big-endian.
        const auto valid = [](std::uint32_t t) {
            return t % 10 <= 2 && (t / 10) % 10 <= 5 && (t / 100) % 10 == 0 && t / 1000 <= 4;
        };
        const bool big = !valid(word(0, false));
        const std::uint32_t type = word(0, big);
        static constexpr std::uint64_t kSizes[] = {8, 4, 4, 2, 2, 1};
        const std::uint32_t precision = (type / 10) % 10;
        if (!valid(type)) {
            return "переменная с байта " + std::to_string(at) + ": заголовок не читается";
        }
        const std::uint64_t count = std::uint64_t(word(1, big)) * word(2, big);
        const std::uint64_t bytes = 20 + std::uint64_t(word(4, big)) +
                                    count * kSizes[precision] * (word(3, big) != 0 ? 2 : 1);
        if (word(4, big) > 4096 || at + bytes > size) {
            return "файл обрывается: переменная с байта " + std::to_string(at) + " не дописана";
        }
        at += bytes;
    }
    return {};
}

// A version 7.3 file is HDF5 behind a 512-byte header: its superblock (version 0 to 3) says
// how long the file is, and a file cut short, or without the signature, is refused before
// the HDF5 library reads it. Empty when it holds what it says.
std::string damagedVersion73(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    unsigned char b[64] = {};
    in.seekg(512);
    if (!in.read(reinterpret_cast<char*>(b), sizeof b) ||
        std::string_view(reinterpret_cast<const char*>(b), 8) != "\x89HDF\r\n\x1a\n") {
        return "после заголовка MATLAB 7.3 нет данных HDF5";
    }
    const unsigned version = b[8];
    const unsigned offsets = version >= 2 ? b[9] : b[13];
    const std::size_t base = version >= 2 ? 12 : version == 1 ? 28 : 24;
    if (version > 3 || (offsets != 2 && offsets != 4 && offsets != 8)) {
        return "заголовок HDF5 не читается";
    }
    std::uint64_t end = 0; // the end-of-file address, after the base and one more address
    for (unsigned i = 0; i < offsets; ++i) {
        end |= std::uint64_t(b[base + 2 * offsets + i]) << (8 * i);
    }
    if (end > size) {
        return "файл обрывается: по заголовку HDF5 в нём " + std::to_string(end) + " байт, а их " +
               std::to_string(size);
    }
    return {};
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

} // namespace

namespace {

// The numeric vectors of a variable: itself, or the fields of a struct (nested too), each
// named by its path ("bearing.gs").
void collectVectors(matvar_t& v, const std::string& name, int depth, std::vector<MatVector>& out) {
    if (numeric(v) && lengthOf(v) > 0) {
        out.push_back({name, lengthOf(v)});
        return;
    }
    // A struct of one element holds its fields once; arrays of structs are not records.
    if (v.class_type != MAT_C_STRUCT || depth > 8 || !v.dims || v.rank < 1 ||
        v.dims[0] * (v.rank > 1 ? v.dims[1] : 1) != 1) {
        return;
    }
    const unsigned fields = Mat_VarGetNumberOfFields(&v);
    char* const* names = Mat_VarGetStructFieldnames(&v);
    for (unsigned i = 0; i < fields && names; ++i) {
        if (matvar_t* field = Mat_VarGetStructFieldByIndex(&v, i, 0); field && names[i]) {
            collectVectors(*field, name + "." + names[i], depth + 1, out);
        }
    }
}

bool isVersion73(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    char header[10] = {};
    in.read(header, sizeof header);
    return std::string_view(header, static_cast<std::size_t>(in.gcount())) == "MATLAB 7.3";
}

bool isMatFile(const std::filesystem::path& path) {
    // matio takes almost anything for a headerless version 4 file: a file is MATLAB's when
    // its header says so (versions 5 and 7.3) or its name does.
    std::ifstream in(path, std::ios::binary);
    char header[6] = {};
    in.read(header, sizeof header);
    return std::string_view(header, static_cast<std::size_t>(in.gcount())) == "MATLAB" ||
           lower(path.extension().string()) == ".mat";
}

} // namespace

std::optional<std::vector<MatVector>> listMatVectors(const std::filesystem::path& path) {
    requireRegularFile(path); // before anything opens it: a FIFO would block
    if (!isMatFile(path)) {
        return std::nullopt;
    }
    const std::string prefix = fileMessagePrefix(displayName(path));
    // matio allocates what a version 4 header says before it reads a byte more; HDF5 reads
    // past a cut file's end.
    const std::string early = isVersion73(path)          ? damagedVersion73(path)
                              : !Version5(path).tagged() ? damagedVersion4(path)
                                                         : std::string();
    if (!early.empty()) {
        throw SpectrumFileError(prefix + early);
    }
    const MatFile file = openMat(path);
    if (!file) {
        throw SpectrumFileError(prefix + "это не файл MATLAB, который можно прочесть");
    }
    if (const std::string damage = damagedVersion5(path); !damage.empty()) {
        throw SpectrumFileError(prefix + damage);
    }
    std::vector<MatVector> vectors;
    bool unclassed = false;
    while (const MatVar v = MatVar(Mat_VarReadNextInfo(file.get()))) {
        if (v->name) {
            collectVectors(*v, v->name, 0, vectors);
            unclassed |= v->class_type == MAT_C_EMPTY;
        }
    }
    if (vectors.empty() && unclassed && Mat_GetVersion(file.get()) == MAT_FT_MAT73) {
        throw SpectrumFileError(prefix + "его наборы данных HDF5 записаны без класса MATLAB "
                                         "(файл версии 7.3 не из MATLAB): сохраните их из MATLAB");
    }
    return vectors;
}

namespace {

// The named vector; or the drive-end record; or the longest vector.
const MatVector* chooseVector(const std::vector<MatVector>& vectors, const std::string& variable) {
    const MatVector* chosen = nullptr;
    for (const MatVector& v : vectors) {
        if (!variable.empty()) {
            if (v.name == variable) {
                return &v;
            }
        } else if (lower(v.name).ends_with("_de_time")) {
            return &v;
        } else if (v.length >= 2 && (!chosen || v.length > chosen->length)) {
            chosen = &v;
        }
    }
    return chosen;
}

// The variable at a path: a top-level variable, or a field of a struct ("bearing.gs").
std::vector<double> readVector(mat_t* file, const std::string& path, const std::string& prefix) {
    const std::size_t dot = path.find('.');
    const MatVar top(Mat_VarRead(file, path.substr(0, dot).c_str()));
    matvar_t* v = top.get();
    for (std::size_t at = dot; v && at != std::string::npos;) {
        const std::size_t next = path.find('.', at + 1);
        const std::string field =
            path.substr(at + 1, next == std::string::npos ? next : next - at - 1);
        v = v->class_type == MAT_C_STRUCT ? Mat_VarGetStructFieldByName(v, field.c_str(), 0)
                                          : nullptr;
        at = next;
    }
    // A damaged file can promise more values than it holds: they are counted, not trusted.
    const std::size_t n = v && numeric(*v) ? lengthOf(*v) : 0;
    if (n == 0 || !v->data || n > static_cast<std::size_t>(kMaxMatLength) ||
        v->nbytes < n * Mat_SizeOfClass(v->class_type)) {
        throw SpectrumFileError(prefix + "переменная «" + visibleText(path) + "» не читается");
    }
    return valuesOf(*v, n);
}

void requireFinite(const std::vector<double>& samples, const std::string& variable,
                   const std::string& prefix) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i])) {
            throw SpectrumFileError(prefix + "переменная «" + visibleText(variable) + "», отсчёт " +
                                    std::to_string(i + 1) + ": не число");
        }
    }
}

// "bearing.sr" → "bearing", "fs" → "".
std::string parentOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(0, dot);
}

std::string leafOf(const std::string& path) {
    return lower(path.substr(path.rfind('.') + 1));
}

// The scalars that say the record's rate and the shaft's speed: beside it in its struct,
// or at the top of the file; those in its struct win.
void readScalars(mat_t* file, const std::vector<MatVector>& vectors, const std::string& prefix,
                 MatRecording& r) {
    const std::string parent = parentOf(r.variable);
    for (const bool own : {false, true}) {
        for (const MatVector& v : vectors) {
            if (v.length != 1 || v.name == r.variable ||
                parentOf(v.name) != (own ? parent : std::string())) {
                continue;
            }
            const std::string name = leafOf(v.name);
            const bool rate = name == "fs" || name == "sr" || name == "samplerate" ||
                              name == "sample_rate" || name == "samplingrate";
            const double value = readVector(file, v.name, prefix).at(0);
            if (rate) {
                r.sampleRate = value;
            } else if (name.ends_with("rpm")) {
                r.shaftRpm = value;
            } else if (own && name == "rate") { // a struct's shaft rate, in Hz
                r.shaftRpm = value * 60;
            }
        }
        if (parent.empty()) {
            break;
        }
    }
}

} // namespace

MatRecording readMatRecording(const std::filesystem::path& path, const std::string& variable,
                              const Progress& progress) {
    const std::string prefix = fileMessagePrefix(displayName(path));
    const std::optional<std::vector<MatVector>> vectors = listMatVectors(path);
    if (!vectors) {
        throw SpectrumFileError(prefix + "это не файл MATLAB, который можно прочесть");
    }
    const MatVector* chosen = chooseVector(*vectors, variable);
    if (!chosen) {
        throw SpectrumFileError(
            prefix + (variable.empty()
                          ? std::string("в нём нет числового вектора")
                          : "в нём нет числового вектора «" + visibleText(variable) + "»"));
    }
    progress.step(0);
    const MatFile file = openMat(path);
    MatRecording r;
    r.variable = chosen->name;
    r.samples = readVector(file.get(), chosen->name, prefix);
    requireFinite(r.samples, r.variable, prefix);
    readScalars(file.get(), *vectors, prefix, r);
    progress.step(1);
    return r;
}

namespace {

bool looksLikeMat(std::string_view head, const std::filesystem::path& path) {
    // matio takes almost anything for a headerless version 4 file: a file is MATLAB's when
    // its header says so (versions 5 and 7.3) or its name does.
    return head.starts_with("MATLAB") || hasExtension(path, matlabFormat().extensions);
}

// The chooser offers the records, not the scalars beside them.
FileContents readMatFile(const std::filesystem::path& path, const SourceChoice& choice,
                         const Progress& progress) {
    FileContents c;
    c.format = matlabFormat().key;
    c.sourceKind = SourceKind::Variable;
    const std::optional<std::vector<MatVector>> vectors = listMatVectors(path);
    std::vector<std::string> names; // as the file spells them; the chooser shows them visible
    for (const MatVector& v : vectors.value_or(std::vector<MatVector>{})) {
        if (v.length >= 2) {
            names.push_back(v.name);
            c.sources.push_back(visibleText(v.name));
        }
    }
    std::string variable = choice.variable;
    if (variable.empty() && choice.index) {
        variable = names[static_cast<std::size_t>(
            chosenIndex(choice, static_cast<int>(names.size()), 0, displayName(path), "записи"))];
    }
    MatRecording m = readMatRecording(path, variable, progress);
    c.source = static_cast<int>(std::find(names.begin(), names.end(), m.variable) - names.begin());
    c.description = "MATLAB, " + visibleText(m.variable);
    c.shaftRpm = m.shaftRpm;
    if (m.shaftRpm && !(*m.shaftRpm >= 1 && *m.shaftRpm <= 1e6)) {
        throw SpectrumFileError(fileMessagePrefix(displayName(path)) + "частота вращения " +
                                rateText(*m.shaftRpm) + " об/мин вне 1 … 1 000 000");
    }
    Waveform& w = c.record.emplace();
    w.rateStated = m.sampleRate.has_value();
    w.sampleRate = m.sampleRate.value_or(kDefaultMatSampleRate);
    w.channels = 1;
    w.samples = std::move(m.samples);
    return c;
}

} // namespace

const FileFormat& matlabFormat() {
    static const FileFormat format{"matlab", "Файлы MATLAB", {"mat"}, looksLikeMat, readMatFile};
    return format;
}

} // namespace orbistan
