#include "spectrum/io/hdf5_objects.h"

#include "platform/cp1251.h"

#include <hdf5.h>

namespace orbistan {

namespace {

struct Walk {
    std::string problem;
};

std::string quoted(const char* name) {
    return "«" + visibleText(name) + "»";
}

// A dataset's data: in the file, written, not drawn from elsewhere.
std::string datasetProblem(hid_t dataset, const char* name) {
    std::string problem;
    const hid_t plist = H5Dget_create_plist(dataset);
    if (plist >= 0) {
        if (H5Pget_layout(plist) == H5D_VIRTUAL) {
            problem = quoted(name) + " — виртуальный набор данных HDF5: его данные в других "
                                     "файлах, а они не читаются";
        } else if (H5Pget_external_count(plist) > 0) {
            problem = quoted(name) + " хранит данные во внешнем файле, а он не читается";
        }
        H5Pclose(plist);
    }
    if (!problem.empty()) {
        return problem;
    }
    const hid_t space = H5Dget_space(dataset);
    const hssize_t values = space >= 0 ? H5Sget_simple_extent_npoints(space) : 0;
    if (space >= 0) {
        H5Sclose(space);
    }
    // Nothing written at all. (A chunked dataset partly allocated is no sign: HDF5 counts
    // chunks against its largest extent, and MATLAB's compressed variables report so.)
    H5D_space_status_t status = H5D_SPACE_STATUS_ERROR;
    if (values > 0 && H5Dget_space_status(dataset, &status) >= 0 &&
        status == H5D_SPACE_STATUS_NOT_ALLOCATED) {
        return "данные " + quoted(name) + " не записаны: в файле лишь их размер (" +
               std::to_string(values) + " значений)";
    }
    return {};
}

herr_t visitLink(hid_t group, const char* name, const H5L_info_t* info, void* data) {
    auto& walk = *static_cast<Walk*>(data);
    if (info->type == H5L_TYPE_EXTERNAL) {
        walk.problem = quoted(name) + " — ссылка на другой файл (внешняя ссылка HDF5): данные "
                                      "других файлов не читаются";
        return 1;
    }
    if (info->type == H5L_TYPE_SOFT) {
        return 0; // within the file: what it names is visited by its own hard link
    }
    if (info->type != H5L_TYPE_HARD) {
        walk.problem = quoted(name) + " — ссылка HDF5 неизвестного вида";
        return 1;
    }
    const hid_t object = H5Oopen(group, name, H5P_DEFAULT);
    if (object < 0) {
        return 0; // a damaged object is matio's to pass over, as it passes over any it cannot read
    }
    if (H5Iget_type(object) == H5I_DATASET) {
        walk.problem = datasetProblem(object, name);
    }
    H5Oclose(object);
    return walk.problem.empty() ? 0 : 1;
}

} // namespace

std::string hdf5ObjectsProblem(const std::filesystem::path& path) {
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr); // its own complaints on stderr are not ours
    // Damage the walk meets is matio's to say, as it says it for any file: only what is
    // known to reach outside, or to hold nothing, is refused here.
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (file < 0) {
        return {};
    }
    Walk walk;
    H5Lvisit(file, H5_INDEX_NAME, H5_ITER_NATIVE, visitLink, &walk);
    H5Fclose(file);
    return walk.problem;
}

namespace {

// MATLAB's class of an object, from its attribute; empty without one.
std::string matlabClass(hid_t object) {
    if (H5Aexists(object, "MATLAB_class") <= 0) {
        return {};
    }
    std::string out;
    const hid_t attribute = H5Aopen(object, "MATLAB_class", H5P_DEFAULT);
    const hid_t type = attribute >= 0 ? H5Aget_type(attribute) : -1;
    if (type >= 0 && H5Tget_class(type) == H5T_STRING && H5Tis_variable_str(type) == 0) {
        const std::size_t size = H5Tget_size(type);
        std::string text(size, '\0');
        const hid_t memory = H5Tcopy(H5T_C_S1);
        H5Tset_size(memory, size);
        if (size <= 64 && H5Aread(attribute, memory, text.data()) >= 0) {
            out = text.substr(0, text.find('\0'));
        }
        H5Tclose(memory);
    }
    if (type >= 0) {
        H5Tclose(type);
    }
    if (attribute >= 0) {
        H5Aclose(attribute);
    }
    return out;
}

bool numericClass(const std::string& c) {
    for (const char* n : {"double", "single", "int8", "uint8", "int16", "uint16", "int32", "uint32",
                          "int64", "uint64"}) {
        if (c == n) {
            return true;
        }
    }
    return false;
}

// A real numeric dataset of two dimensions, one of them 1: its length; else 0.
std::size_t vectorLength(hid_t dataset) {
    const hid_t type = H5Dget_type(dataset);
    const bool real = type >= 0 && H5Tget_class(type) != H5T_COMPOUND; // complex is compound
    if (type >= 0) {
        H5Tclose(type);
    }
    const hid_t space = H5Dget_space(dataset);
    hsize_t dims[2] = {0, 0};
    const int rank = space >= 0 ? H5Sget_simple_extent_ndims(space) : -1;
    if (rank == 2) {
        H5Sget_simple_extent_dims(space, dims, nullptr);
    }
    if (space >= 0) {
        H5Sclose(space);
    }
    if (!real || rank != 2) {
        return 0;
    }
    return static_cast<std::size_t>(dims[0] == 1 ? dims[1] : dims[1] == 1 ? dims[0] : 0);
}

struct Listing {
    Hdf5Listing out;
    std::string prefix; // "bearing." inside a struct
    int depth = 0;
};

herr_t listLink(hid_t group, const char* name, const H5L_info_t* info, void* data);

void listObject(hid_t object, const std::string& name, Listing& l) {
    const std::string c = matlabClass(object);
    if (H5Iget_type(object) == H5I_DATASET) {
        if (c.empty() && l.depth == 0) {
            l.out.unclassed = true;
        }
        const std::size_t length = numericClass(c) ? vectorLength(object) : 0;
        if (length > 0) {
            l.out.vectors.push_back({l.prefix + name, length});
        }
    } else if (H5Iget_type(object) == H5I_GROUP && c == "struct" && l.depth < 8) {
        // A 1×1 struct holds its fields; an array of structs holds references, passed over.
        Listing inner{std::move(l.out), l.prefix + name + ".", l.depth + 1};
        H5Literate(object, H5_INDEX_NAME, H5_ITER_INC, nullptr, listLink, &inner);
        l.out = std::move(inner.out);
    }
}

herr_t listLink(hid_t group, const char* name, const H5L_info_t* info, void* data) {
    auto& l = *static_cast<Listing*>(data);
    if (info->type != H5L_TYPE_HARD || name[0] == '#') { // "#refs#": what cells point to
        return 0;
    }
    const hid_t object = H5Oopen(group, name, H5P_DEFAULT);
    if (object >= 0) {
        listObject(object, name, l);
        H5Oclose(object);
    }
    return 0;
}

} // namespace

Hdf5Listing listHdf5Vectors(const std::filesystem::path& path) {
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    Listing l;
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (file >= 0) {
        H5Literate(file, H5_INDEX_NAME, H5_ITER_INC, nullptr, listLink, &l);
        H5Fclose(file);
    }
    return std::move(l.out);
}

} // namespace orbistan
