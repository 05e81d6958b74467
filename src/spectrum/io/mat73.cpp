#include "spectrum/io/mat73.h"

#include "platform/cp1251.h"

#include <hdf5.h>

#include <algorithm>
#include <cstdint>

namespace orbistan {

namespace {

// An HDF5 identifier closed when it goes.
class Id {
public:
    Id(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
    ~Id() {
        if (id_ >= 0) {
            close_(id_);
        }
    }
    Id(const Id&) = delete;
    Id& operator=(const Id&) = delete;
    operator hid_t() const { return id_; }
    bool valid() const { return id_ >= 0; }

private:
    hid_t id_;
    herr_t (*close_)(hid_t);
};

std::string quoted(const std::string& name) {
    return "«" + visibleText(name) + "»";
}

// MATLAB's class of an object, from its attribute; empty without one.
std::string matlabClass(hid_t object) {
    const Id attribute(H5Aopen(object, "MATLAB_class", H5P_DEFAULT), H5Aclose);
    const Id type(attribute.valid() ? H5Aget_type(attribute) : -1, H5Tclose);
    if (!type.valid() || H5Tget_class(type) != H5T_STRING || H5Tis_variable_str(type) != 0) {
        return {};
    }
    const std::size_t size = H5Tget_size(type);
    if (size == 0 || size > 64) {
        return {};
    }
    // One more byte than stored: a class padded rather than terminated ("double" in 6
    // bytes, as h5py writes it) is read whole.
    std::string text(size + 1, '\0');
    const Id memory(H5Tcopy(H5T_C_S1), H5Tclose);
    H5Tset_size(memory, size + 1);
    if (H5Aread(attribute, memory, text.data()) < 0) {
        return {};
    }
    return text.substr(0, text.find('\0'));
}

bool numericClass(const std::string& c) {
    static const char* const kNumeric[] = {"double", "single", "int8",   "uint8", "int16",
                                           "uint16", "int32",  "uint32", "int64", "uint64"};
    return std::find(std::begin(kNumeric), std::end(kNumeric), c) != std::end(kNumeric);
}

// A dataset's extent: rank 2 for MATLAB's arrays; empty when it has none.
std::vector<hsize_t> extentOf(hid_t dataset) {
    const Id space(H5Dget_space(dataset), H5Sclose);
    const int rank = space.valid() ? H5Sget_simple_extent_ndims(space) : -1;
    if (rank <= 0 || rank > 32) {
        return {};
    }
    std::vector<hsize_t> dims(static_cast<std::size_t>(rank));
    H5Sget_simple_extent_dims(space, dims.data(), nullptr);
    return dims;
}

std::uint64_t countOf(const std::vector<hsize_t>& dims) {
    std::uint64_t n = dims.empty() ? 0 : 1;
    for (const hsize_t d : dims) {
        n = d != 0 && n > (std::uint64_t(1) << 62) / d ? std::uint64_t(1) << 62 : n * d;
    }
    return n;
}

// A real numeric dataset of two dimensions, one of them 1 (MATLAB's vector): its length;
// else 0. MATLAB writes an empty array as its dimensions, marked so.
std::uint64_t vectorLength(hid_t dataset) {
    const Id type(H5Dget_type(dataset), H5Tclose);
    const H5T_class_t c = type.valid() ? H5Tget_class(type) : H5T_NO_CLASS;
    if ((c != H5T_INTEGER && c != H5T_FLOAT) || H5Aexists(dataset, "MATLAB_empty") > 0) {
        return 0;
    }
    const std::vector<hsize_t> dims = extentOf(dataset);
    if (dims.size() != 2) {
        return 0;
    }
    return dims[0] == 1 ? dims[1] : dims[1] == 1 ? dims[0] : 0;
}

// A chunked dataset partly written reads back fill values where chunks are missing.
// (Its space status is no sign: HDF5 counts chunks against the largest extent, and
// compressed chunks are smaller than their values.) Empty when every chunk is written.
std::string unwrittenChunks(hid_t dataset, hid_t plist, const std::vector<hsize_t>& dims,
                            const std::string& name) {
    std::vector<hsize_t> chunk(dims.size());
    hsize_t written = 0;
    const Id space(H5Dget_space(dataset), H5Sclose);
    if (H5Pget_chunk(plist, static_cast<int>(chunk.size()), chunk.data()) !=
            static_cast<int>(chunk.size()) ||
        H5Dget_num_chunks(dataset, space, &written) < 0) {
        return {};
    }
    std::uint64_t needed = 1;
    for (std::size_t i = 0; i < dims.size(); ++i) {
        const std::uint64_t along = chunk[i] == 0 ? 1 : (dims[i] + chunk[i] - 1) / chunk[i];
        needed = needed > (std::uint64_t(1) << 62) / std::max<std::uint64_t>(along, 1)
                     ? std::uint64_t(1) << 62
                     : needed * along;
    }
    return written < needed
               ? "данные " + quoted(name) + " записаны не все: из " + std::to_string(needed) +
                     " частей в файле " + std::to_string(written)
               : std::string();
}

// What makes a dataset's data other than what this file holds: drawn from other files,
// stored outside it, or never written. Empty when it is this file's.
std::string datasetProblem(hid_t dataset, const std::string& name) {
    const Id plist(H5Dget_create_plist(dataset), H5Pclose);
    if (!plist.valid()) {
        return {};
    }
    const H5D_layout_t layout = H5Pget_layout(plist);
    if (layout == H5D_VIRTUAL) {
        return quoted(name) + " — виртуальный набор данных HDF5: его данные в других файлах, а "
                              "они не читаются";
    }
    if (H5Pget_external_count(plist) > 0) {
        return quoted(name) + " хранит данные во внешнем файле, а он не читается";
    }
    const std::vector<hsize_t> dims = extentOf(dataset);
    const std::uint64_t values = countOf(dims);
    H5D_space_status_t status = H5D_SPACE_STATUS_ERROR;
    if (values > 0 && H5Dget_space_status(dataset, &status) >= 0 &&
        status == H5D_SPACE_STATUS_NOT_ALLOCATED) {
        return "данные " + quoted(name) + " не записаны: в файле лишь их размер (" +
               std::to_string(values) + " значений)";
    }
    if (values > 0 && layout == H5D_CHUNKED) {
        return unwrittenChunks(dataset, plist, dims, name);
    }
    return {};
}

} // namespace

struct Mat73File::State {
    State(std::string name, ChildChannel& channel, hid_t file, std::uint64_t size)
        : fileName(std::move(name)), channel(channel), file(file, H5Fclose), fileSize(size) {}

    std::string fileName;
    ChildChannel& channel;
    Id file;
    std::uint64_t fileSize = 0;
    std::uint64_t links = 0;
    std::vector<MatVector> vectors;
    bool unclassed = false;
    std::string problem;

    [[noreturn]] void refuse(ProblemKind kind, const std::string& detail) const {
        throw SpectrumFileError({kind, fileName, "", detail});
    }

    // One link of a group met in the walk; false stops it.
    bool visit(hid_t group, const char* name, const H5L_info_t& info, const std::string& prefix,
               int depth) {
        channel.alive();
        // Each link takes bytes of the file: more than it could hold is a walk going round.
        if (++links > fileSize / 8 + 64) {
            problem = "в нём больше связей HDF5, чем вмещает файл его размера";
            return false;
        }
        const std::string path = prefix + name;
        if (name[0] == '#') { // "#refs#", "#subsystem#": what cells and objects point to
            return true;
        }
        if (info.type == H5L_TYPE_EXTERNAL) {
            problem = quoted(path) + " — ссылка на другой файл (внешняя ссылка HDF5): данные "
                                     "других файлов не читаются";
            return false;
        }
        if (info.type == H5L_TYPE_SOFT) {
            return true; // within the file: what it names is met by its own hard link
        }
        if (info.type != H5L_TYPE_HARD) {
            problem = quoted(path) + " — ссылка HDF5 неизвестного вида";
            return false;
        }
        const Id object(H5Oopen(group, name, H5P_DEFAULT), H5Oclose);
        if (!object.valid()) {
            return true; // an object that does not open is passed over, as matio passed it
        }
        const H5I_type_t type = H5Iget_type(object);
        if (type == H5I_DATASET) {
            problem = datasetProblem(object, path);
            if (!problem.empty()) {
                return false;
            }
            const std::string c = matlabClass(object);
            unclassed |= c.empty() && depth == 0;
            if (const std::uint64_t length = numericClass(c) ? vectorLength(object) : 0) {
                vectors.push_back({path, static_cast<std::size_t>(length)});
            }
        } else if (type == H5I_GROUP && depth < 8 && matlabClass(object) == "struct") {
            // A 1×1 struct holds its fields; an array of structs holds references, passed over.
            walk(object, path + ".", depth + 1);
        }
        return problem.empty();
    }

    void walk(hid_t group, const std::string& prefix, int depth) {
        struct Walk {
            State* state;
            const std::string* prefix;
            int depth;
        } w{this, &prefix, depth};
        H5Literate(
            group, H5_INDEX_NAME, H5_ITER_INC, nullptr,
            [](hid_t g, const char* name, const H5L_info_t* info, void* data) -> herr_t {
                auto& w = *static_cast<Walk*>(data);
                return w.state->visit(g, name, *info, *w.prefix, w.depth) ? 0 : 1;
            },
            &w);
    }
};

Mat73File::Mat73File(const std::filesystem::path& path, ChildChannel& channel) {
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr); // its complaints on stderr are not ours
    // Reading takes no lock: one held by a writer, or refused by a network disk, would keep
    // a file that reads well from opening.
    const Id access(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
    H5Pset_file_locking(access, false, true);
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, access);
    if (file < 0) {
        throw SpectrumFileError(
            {ProblemKind::Damaged, displayName(path), "", "его данные HDF5 не открываются"});
    }
    std::error_code ec;
    state_ = std::make_unique<State>(displayName(path), channel, file,
                                     std::filesystem::file_size(path, ec));
}

Mat73File::~Mat73File() = default;

std::vector<MatVector> Mat73File::list() {
    State& s = *state_;
    s.vectors.clear();
    s.walk(s.file, "", 0);
    if (!s.problem.empty()) {
        s.refuse(ProblemKind::Unsuited, s.problem);
    }
    if (s.vectors.empty() && s.unclassed) {
        s.refuse(ProblemKind::Unrecognised,
                 "его наборы данных HDF5 записаны без класса MATLAB (файл версии 7.3 не из "
                 "MATLAB): сохраните их из MATLAB");
    }
    return s.vectors;
}

std::vector<double> Mat73File::read(const std::string& path) {
    State& s = *state_;
    std::string object = "/" + path;
    std::replace(object.begin(), object.end(), '.', '/');
    const Id dataset(H5Dopen2(s.file, object.c_str(), H5P_DEFAULT), H5Dclose);
    const std::uint64_t n = dataset.valid() ? vectorLength(dataset) : 0;
    if (n == 0) {
        s.refuse(ProblemKind::Damaged, "переменная " + quoted(path) + " не читается");
    }
    if (n > static_cast<std::uint64_t>(kMaxMatLength)) {
        s.refuse(ProblemKind::TooLarge, "переменная " + quoted(path) + " длиннее " +
                                            std::to_string(kMaxMatLength) + " отсчётов");
    }
    const std::vector<hsize_t> dims = extentOf(dataset);
    const bool alongFirst = dims[1] == 1 && dims[0] != 1;
    std::vector<double> out(n);
    const Id file(H5Dget_space(dataset), H5Sclose);
    // In slabs, each a sign of life: a long record on a slow disk is not a loop.
    constexpr std::uint64_t kSlab = std::uint64_t(1) << 18;
    for (std::uint64_t at = 0; at < n; at += kSlab) {
        const hsize_t count = std::min(kSlab, n - at);
        const hsize_t start[2] = {alongFirst ? at : 0, alongFirst ? 0 : at};
        const hsize_t extent[2] = {alongFirst ? count : 1, alongFirst ? 1 : count};
        const Id memory(H5Screate_simple(1, &count, nullptr), H5Sclose);
        if (H5Sselect_hyperslab(file, H5S_SELECT_SET, start, nullptr, extent, nullptr) < 0 ||
            H5Dread(dataset, H5T_NATIVE_DOUBLE, memory, file, H5P_DEFAULT, out.data() + at) < 0) {
            s.refuse(ProblemKind::Damaged, "переменная " + quoted(path) + " не читается");
        }
        s.channel.progress(static_cast<double>(at + count) / static_cast<double>(n));
    }
    return out;
}

} // namespace orbistan
