#include "spectrum/io/mat_file.h"

#include "spectrum/io/child_process.h"
#include "spectrum/io/file_format.h"
#include "spectrum/io/mat73.h"
#include "spectrum/io/mat_layout.h"

#include "platform/cp1251.h"

#include <matio.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
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

namespace {

// The top-level variables read, by name: the first of each name, as matio finds by name.
using TopVariables = std::map<std::string, MatVar, std::less<>>;

// One pass of matio over the file, keeping the top-level variables of these names.
TopVariables readTops(mat_t* file, const std::set<std::string>& names) {
    TopVariables tops;
    while (MatVar v = MatVar(Mat_VarReadNext(file))) {
        if (v->name && names.count(v->name) && !tops.count(v->name)) {
            tops.emplace(v->name, std::move(v));
        }
    }
    return tops;
}

// The vector at a path: a top-level variable, or a field of a struct ("bearing.gs").
std::vector<double> readVector(const TopVariables& tops, const std::string& path,
                               const std::string& fileName) {
    const std::size_t dot = path.find('.');
    const auto top = tops.find(std::string_view(path).substr(0, dot));
    matvar_t* v = top == tops.end() ? nullptr : top->second.get();
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
        throw SpectrumFileError({ProblemKind::Damaged, fileName, "",
                                 "переменная «" + visibleText(path) + "» не читается"});
    }
    return valuesOf(*v, n);
}

// The vector at a path the listing gave, as doubles; throws SpectrumFileError.
using VectorRead = std::function<std::vector<double>(const std::string& path)>;

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

void requireFinite(const std::vector<double>& samples, const std::string& variable,
                   const std::string& fileName) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i])) {
            throw SpectrumFileError(
                {ProblemKind::Damaged, fileName,
                 "переменная «" + visibleText(variable) + "», отсчёт " + std::to_string(i + 1),
                 "не число"});
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

enum class ScalarMeaning { None, SampleRate, ShaftRpm, ShaftHz };

// What a vector tells of the record `variable`: a scalar beside it in its struct, or at the
// top of the file, named as a sample rate or a shaft speed.
ScalarMeaning meaningFor(const MatVector& v, const std::string& variable) {
    const std::string parent = parentOf(v.name);
    const bool own = !parentOf(variable).empty() && parent == parentOf(variable);
    if (v.length != 1 || v.name == variable || (!parent.empty() && !own)) {
        return ScalarMeaning::None;
    }
    const std::string name = leafOf(v.name);
    if (name == "fs" || name == "sr" || name == "samplerate" || name == "sample_rate" ||
        name == "samplingrate") {
        return ScalarMeaning::SampleRate;
    }
    if (name.ends_with("rpm")) {
        return ScalarMeaning::ShaftRpm;
    }
    return own && name == "rate" ? ScalarMeaning::ShaftHz // a struct's shaft rate, in Hz
                                 : ScalarMeaning::None;
}

// The scalars that say the record's rate and the shaft's speed: beside it in its struct,
// or at the top of the file; those in its struct win. Only those are read.
void readScalars(const std::vector<MatVector>& vectors, const VectorRead& read, MatRecording& r) {
    for (const bool own : {false, true}) {
        for (const MatVector& v : vectors) {
            const ScalarMeaning meaning = meaningFor(v, r.variable);
            if (meaning == ScalarMeaning::None || parentOf(v.name).empty() == own) {
                continue;
            }
            const double value = read(v.name).at(0);
            if (meaning == ScalarMeaning::SampleRate) {
                r.sampleRate = value;
            } else if (meaning == ScalarMeaning::ShaftRpm) {
                r.shaftRpm = value;
            } else {
                r.shaftRpm = value * 60;
            }
        }
    }
}

// The record chosen among the file's vectors, with its rate and speed.
MatRecording recordingOf(const std::vector<MatVector>& vectors, const std::string& variable,
                         const VectorRead& read, const std::string& fileName) {
    const MatVector* chosen = chooseVector(vectors, variable);
    if (!chosen) {
        throw SpectrumFileError(
            {ProblemKind::NotOffered, fileName, "",
             variable.empty() ? std::string("в нём нет числового вектора")
                              : "в нём нет числового вектора «" + visibleText(variable) + "»"});
    }
    MatRecording r;
    r.variable = chosen->name;
    r.samples = read(chosen->name);
    requireFinite(r.samples, r.variable, fileName);
    readScalars(vectors, read, r);
    return r;
}

// A copy of a version 5 file holding only some of its top-level variables, in memory,
// for matio to read by its path: matio finds a variable by reading the file from its start,
// which made a file of many variables take as long as their number squared. Empty when the
// system offers no such file; the descriptor closes with it.
struct MemoryFile {
    int fd = -1;
    ~MemoryFile() {
        if (fd >= 0) {
            close(fd);
        }
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd); }
};

bool copyElements(const std::filesystem::path& path, const MatLayout& layout,
                  const std::vector<bool>& needed, MemoryFile& out) {
    out.fd = memfd_create("orbistan-mat", MFD_CLOEXEC);
    std::ifstream in(path, std::ios::binary);
    if (out.fd < 0 || !std::filesystem::exists(out.path()) || !in) {
        return false;
    }
    std::vector<char> buffer(std::size_t(1) << 20);
    const auto copy = [&](std::uint64_t at, std::uint64_t n) {
        in.seekg(static_cast<std::streamoff>(at));
        while (n > 0) {
            const auto piece =
                static_cast<std::streamsize>(std::min<std::uint64_t>(n, buffer.size()));
            if (!in.read(buffer.data(), piece) ||
                write(out.fd, buffer.data(), static_cast<std::size_t>(piece)) != piece) {
                return false;
            }
            n -= static_cast<std::uint64_t>(piece);
        }
        return true;
    };
    if (!copy(0, 128)) {
        return false;
    }
    static constexpr char kZeros[8] = {};
    for (std::size_t i = 0; i < layout.elements.size(); ++i) {
        const MatElement& e = layout.elements[i];
        const std::size_t padding = e.padded ? (8 - e.bytes % 8) % 8 : 0;
        if (needed[i] && (!copy(e.at, e.bytes) ||
                          write(out.fd, kZeros, padding) != static_cast<ssize_t>(padding))) {
            return false;
        }
    }
    return true;
}

// The top-level variables that hold the record chosen and the scalars that tell its rate and
// speed: their names, and which of the layout's elements they are.
std::vector<bool> neededElements(const std::vector<MatVector>& vectors, const std::string& variable,
                                 const MatLayout& layout, std::set<std::string>& names) {
    const MatVector* chosen = chooseVector(vectors, variable);
    std::vector<bool> needed(layout.elements.size());
    for (std::size_t i = 0; chosen && i < vectors.size(); ++i) {
        const MatVector& v = vectors[i];
        if (&v == chosen || meaningFor(v, chosen->name) != ScalarMeaning::None) {
            names.insert(v.name.substr(0, v.name.find('.')));
            if (i < layout.elementOf.size()) {
                needed[layout.elementOf[i]] = true;
            }
        }
    }
    return needed;
}

// Versions 4 and 5, through matio in this process. A version 5 file's vectors are those its
// layout walk listed; matio reads only the top-level variables the record and its scalars
// are in.
MatContents readVersion5(const std::filesystem::path& path, const MatLayout& layout,
                         const MatVariablePick& pick, const Progress& progress) {
    const std::string name = displayName(path);
    MatFile file = openMat(path);
    if (!file) {
        throw SpectrumFileError(
            {ProblemKind::Unrecognised, name, "", "это не файл MATLAB, который можно прочесть"});
    }
    MatContents c;
    if (layout.version == MatVersion::V5) {
        c.vectors = layout.vectors;
    } else {
        while (const MatVar v = MatVar(Mat_VarReadNextInfo(file.get()))) {
            if (v->name) {
                collectVectors(*v, v->name, 0, c.vectors);
            }
        }
    }
    const std::optional<std::string> variable = pick(c.vectors);
    if (!variable) {
        return c;
    }
    progress.step(0);
    std::set<std::string> names;
    const std::vector<bool> needed = neededElements(c.vectors, *variable, layout, names);
    MemoryFile copy;
    if (layout.version == MatVersion::V5 && copyElements(path, layout, needed, copy)) {
        file = MatFile(Mat_Open(copy.path().c_str(), MAT_ACC_RDONLY));
    } else {
        Mat_Rewind(file.get());
    }
    const TopVariables tops = file ? readTops(file.get(), names) : TopVariables{};
    c.recording = recordingOf(
        c.vectors, *variable, [&](const std::string& p) { return readVector(tops, p, name); },
        name);
    progress.step(1);
    return c;
}

// The answer of the child that reads a version 7.3 file, and its failures: numbers as eight
// bytes, texts after their length.
class AnswerWriter {
public:
    void number(std::uint64_t v) { bytes_.append(reinterpret_cast<const char*>(&v), 8); }
    void real(double v) { bytes_.append(reinterpret_cast<const char*>(&v), 8); }
    void text(std::string_view t) {
        number(t.size());
        bytes_.append(t);
    }
    void optionalReal(const std::optional<double>& v) {
        number(v.has_value());
        real(v.value_or(0));
    }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

class AnswerReader {
public:
    explicit AnswerReader(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t number() {
        std::uint64_t v = 0;
        copy(&v, 8);
        return v;
    }
    double real() {
        double v = 0;
        copy(&v, 8);
        return v;
    }
    std::string text() {
        const std::uint64_t n = number();
        if (n > bytes_.size() - at_) {
            ok_ = false;
            return {};
        }
        std::string t(bytes_.substr(at_, n));
        at_ += n;
        return t;
    }
    std::optional<double> optionalReal() {
        const bool has = number() != 0;
        const double v = real();
        return has ? std::optional(v) : std::nullopt;
    }
    std::vector<double> reals() {
        const std::uint64_t n = number();
        if (n > (bytes_.size() - at_) / 8) {
            ok_ = false;
            return {};
        }
        std::vector<double> v(n);
        copy(v.data(), n * 8);
        return v;
    }
    bool good() const { return ok_; } // nothing asked beyond the bytes so far
    bool ok() const { return ok_ && at_ == bytes_.size(); }

private:
    void copy(void* out, std::size_t n) {
        if (n > bytes_.size() - at_) {
            ok_ = false;
            return;
        }
        std::memcpy(out, bytes_.data() + at_, n);
        at_ += n;
    }
    std::string_view bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

std::string problemBytes(const FileProblem& p) {
    AnswerWriter w;
    w.number(static_cast<std::uint64_t>(p.kind));
    w.text(p.file);
    w.text(p.where);
    w.text(p.detail);
    return w.take();
}

// The child's work: list, pick, read, answer; what fails is said as its problem.
void answerVersion73(const std::filesystem::path& path, const MatVariablePick& pick,
                     ChildChannel& channel) {
    const std::string name = displayName(path);
    try {
        Mat73File file(path, channel);
        const std::vector<MatVector> vectors = file.list();
        AnswerWriter head;
        head.number(vectors.size());
        for (const MatVector& v : vectors) {
            head.text(v.name);
            head.number(v.length);
        }
        const std::optional<std::string> variable = pick(vectors);
        head.number(variable.has_value());
        if (!variable) {
            channel.send(head.take());
            return;
        }
        const MatRecording r = recordingOf(
            vectors, *variable, [&file](const std::string& p) { return file.read(p); }, name);
        head.text(r.variable);
        head.optionalReal(r.sampleRate);
        head.optionalReal(r.shaftRpm);
        head.number(r.samples.size());
        channel.send(head.take());
        // The samples as they lie in memory, in pieces: no second copy of a long record.
        const std::string_view samples(reinterpret_cast<const char*>(r.samples.data()),
                                       r.samples.size() * sizeof(double));
        for (std::size_t at = 0; at < samples.size(); at += std::size_t(1) << 23) {
            channel.send(samples.substr(at, std::size_t(1) << 23));
        }
    } catch (const SpectrumFileError& e) {
        channel.fail(problemBytes(e.problem()));
    } catch (const std::bad_alloc&) {
        channel.fail(problemBytes({ProblemKind::TooLarge, name, "", kNoMemoryToRead}));
    }
}

MatContents contentsFromAnswer(const std::string& answer, const std::string& name) {
    AnswerReader in(answer);
    MatContents c;
    const std::uint64_t count = in.number();
    for (std::uint64_t i = 0; i < count && in.good(); ++i) {
        MatVector v;
        v.name = in.text();
        v.length = static_cast<std::size_t>(in.number());
        c.vectors.push_back(std::move(v));
    }
    if (in.number() != 0) {
        MatRecording& r = c.recording.emplace();
        r.variable = in.text();
        r.sampleRate = in.optionalReal();
        r.shaftRpm = in.optionalReal();
        r.samples = in.reals();
    }
    if (!in.ok()) {
        throw SpectrumFileError(
            {ProblemKind::Damaged, name, "", "его чтение (HDF5) дало ответ, который не читается"});
    }
    return c;
}

FileProblem problemFromBytes(const std::string& bytes, const std::string& name) {
    AnswerReader in(bytes);
    FileProblem p;
    const std::uint64_t kind = in.number();
    p.kind = kind <= static_cast<std::uint64_t>(ProblemKind::Unsuited) ? ProblemKind(kind)
                                                                       : ProblemKind::Damaged;
    p.file = in.text();
    p.where = in.text();
    p.detail = in.text();
    if (!in.ok()) {
        return {ProblemKind::Damaged, name, "", "его чтение (HDF5) не удалось"};
    }
    return p;
}

// Version 7.3, through HDF5 in a child process: a crash of the library is this file's
// damage, a loop of it is stopped, a cancel kills it.
MatContents readVersion73(const std::filesystem::path& path, const MatVariablePick& pick,
                          const Progress& progress) {
    const std::string name = displayName(path);
    ChildLimits limits;
    limits.maxAnswer = static_cast<std::uint64_t>(kMaxMatLength) * 8 + (std::uint64_t(64) << 20);
    const ChildOutcome out = runInChild(
        [&](ChildChannel& channel) { answerVersion73(path, pick, channel); }, progress, limits);
    using End = ChildOutcome::End;
    switch (out.end) {
    case End::Answered:
        if (!out.failure.empty()) {
            throw SpectrumFileError(problemFromBytes(out.failure, name));
        }
        return contentsFromAnswer(out.answer, name);
    case End::Crashed:
        throw SpectrumFileError(
            {ProblemKind::Damaged, name, "", "библиотека HDF5 прервала его чтение, упав на нём"});
    case End::Stalled:
        throw SpectrumFileError({ProblemKind::Damaged, name, "",
                                 "библиотека HDF5 читала его, не продвигаясь, и была остановлена"});
    case End::Oversized:
        throw SpectrumFileError(
            {ProblemKind::TooLarge, name, "", "его данные больше, чем программа читает"});
    case End::NotStarted:
        break;
    }
    throw SpectrumFileError(
        {ProblemKind::Unreadable, name, "",
         "не удалось начать его чтение: " + std::string(std::strerror(out.error))});
}

} // namespace

std::optional<MatContents> readMatContents(const std::filesystem::path& path,
                                           const MatVariablePick& pick, const Progress& progress) {
    requireRegularFile(path); // before anything opens it: a FIFO would block
    if (!isMatFile(path)) {
        return std::nullopt;
    }
    const MatLayout layout = matLayout(path);
    if (!layout.problem.empty()) {
        throw SpectrumFileError({ProblemKind::Damaged, displayName(path), "", layout.problem});
    }
    // HDF5 is called only in children: a thread of this process never holds its locks.
    return layout.version == MatVersion::V73 ? readVersion73(path, pick, progress)
                                             : readVersion5(path, layout, pick, progress);
}

std::optional<std::vector<MatVector>> listMatVectors(const std::filesystem::path& path) {
    std::optional<MatContents> c =
        readMatContents(path, [](const std::vector<MatVector>&) { return std::nullopt; });
    return c ? std::optional(std::move(c->vectors)) : std::nullopt;
}

namespace {

bool looksLikeMat(std::string_view head, const std::filesystem::path& path) {
    // matio takes almost anything for a headerless version 4 file: a file is MATLAB's when
    // its header says so (versions 5 and 7.3) or its name does.
    return head.starts_with("MATLAB") || hasExtension(path, matlabFormat().extensions);
}

// The records among a file's vectors, as the file spells their names.
std::vector<std::string> recordNames(const std::vector<MatVector>& vectors) {
    std::vector<std::string> names;
    for (const MatVector& v : vectors) {
        if (v.length >= 2) {
            names.push_back(v.name);
        }
    }
    return names;
}

FileContents readMatFile(const std::filesystem::path& path, const SourceChoice& choice,
                         const Progress& progress) {
    FileContents c;
    c.format = matlabFormat().key;
    c.sourceKind = SourceKind::Variable;
    // The chooser offers the records, not the scalars beside them; its index names one.
    const auto pick = [&](const std::vector<MatVector>& vectors) -> std::optional<std::string> {
        if (choice.variable.empty() && choice.index) {
            const std::vector<std::string> names = recordNames(vectors);
            return names[static_cast<std::size_t>(chosenIndex(
                choice, static_cast<int>(names.size()), 0, displayName(path), "записи"))];
        }
        return choice.variable;
    };
    std::optional<MatContents> contents = readMatContents(path, pick, progress);
    if (!contents) {
        throw SpectrumFileError({ProblemKind::Unrecognised, displayName(path), "",
                                 "это не файл MATLAB, который можно прочесть"});
    }
    const std::vector<std::string> names = recordNames(contents->vectors);
    for (const std::string& name : names) {
        c.sources.push_back(visibleText(name));
    }
    MatRecording& m = *contents->recording;
    c.source = static_cast<int>(std::find(names.begin(), names.end(), m.variable) - names.begin());
    c.description = "MATLAB, " + visibleText(m.variable);
    c.shaftRpm = m.shaftRpm;
    if (m.shaftRpm && !(*m.shaftRpm >= 1 && *m.shaftRpm <= 1e6)) {
        throw SpectrumFileError(
            {ProblemKind::OutOfRange, displayName(path), "",
             "частота вращения " + exactText(*m.shaftRpm) + " об/мин вне 1 … 1 000 000"});
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
