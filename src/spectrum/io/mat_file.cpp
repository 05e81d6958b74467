#include "spectrum/io/mat_file.h"

#include "spectrum/io/file_format.h"
#include "spectrum/io/mat_layout.h"

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

std::optional<std::vector<MatVector>> listMatVectors(const std::filesystem::path& path) {
    requireRegularFile(path); // before anything opens it: a FIFO would block
    if (!isMatFile(path)) {
        return std::nullopt;
    }
    const std::string name = displayName(path);
    if (const std::string damage = matLayoutProblem(path); !damage.empty()) {
        throw SpectrumFileError({ProblemKind::Damaged, name, "", damage});
    }
    const MatFile file = openMat(path);
    if (!file) {
        throw SpectrumFileError(
            {ProblemKind::Unrecognised, name, "", "это не файл MATLAB, который можно прочесть"});
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
        throw SpectrumFileError({ProblemKind::Unrecognised, name, "",
                                 "его наборы данных HDF5 записаны без класса MATLAB "
                                 "(файл версии 7.3 не из MATLAB): сохраните их из MATLAB"});
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
std::vector<double> readVector(mat_t* file, const std::string& path, const std::string& fileName) {
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
        throw SpectrumFileError({ProblemKind::Damaged, fileName, "",
                                 "переменная «" + visibleText(path) + "» не читается"});
    }
    return valuesOf(*v, n);
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

// The scalars that say the record's rate and the shaft's speed: beside it in its struct,
// or at the top of the file; those in its struct win.
void readScalars(mat_t* file, const std::vector<MatVector>& vectors, const std::string& fileName,
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
            const bool rpm = name.ends_with("rpm");
            const bool shaftHz = own && name == "rate"; // a struct's shaft rate, in Hz
            if (!rate && !rpm && !shaftHz) {
                continue; // read only what tells something: each read seeks from the start
            }
            const double value = readVector(file, v.name, fileName).at(0);
            if (rate) {
                r.sampleRate = value;
            } else if (rpm) {
                r.shaftRpm = value;
            } else {
                r.shaftRpm = value * 60;
            }
        }
        if (parent.empty()) {
            break;
        }
    }
}

// The record of the file whose vectors were listed: the listing walks every variable (and
// inflates the compressed ones), so it is done once per reading.
MatRecording readListed(const std::filesystem::path& path,
                        const std::optional<std::vector<MatVector>>& vectors,
                        const std::string& variable, const Progress& progress) {
    const std::string name = displayName(path);
    if (!vectors) {
        throw SpectrumFileError(
            {ProblemKind::Unrecognised, name, "", "это не файл MATLAB, который можно прочесть"});
    }
    const MatVector* chosen = chooseVector(*vectors, variable);
    if (!chosen) {
        throw SpectrumFileError(
            {ProblemKind::NotOffered, name, "",
             variable.empty() ? std::string("в нём нет числового вектора")
                              : "в нём нет числового вектора «" + visibleText(variable) + "»"});
    }
    progress.step(0);
    const MatFile file = openMat(path);
    MatRecording r;
    r.variable = chosen->name;
    r.samples = readVector(file.get(), chosen->name, name);
    requireFinite(r.samples, r.variable, name);
    readScalars(file.get(), *vectors, name, r);
    progress.step(1);
    return r;
}

} // namespace

MatRecording readMatRecording(const std::filesystem::path& path, const std::string& variable,
                              const Progress& progress) {
    return readListed(path, listMatVectors(path), variable, progress);
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
    MatRecording m = readListed(path, vectors, variable, progress);
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
