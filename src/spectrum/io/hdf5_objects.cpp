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
    H5D_space_status_t status = H5D_SPACE_STATUS_ERROR;
    if (values > 0 && H5Dget_space_status(dataset, &status) >= 0 &&
        status != H5D_SPACE_STATUS_ALLOCATED) {
        return status == H5D_SPACE_STATUS_PART_ALLOCATED
                   ? "данные " + quoted(name) +
                         " записаны лишь частью: остальное — пустые "
                         "значения, не измеренные"
                   : "данные " + quoted(name) + " не записаны: в файле лишь их размер (" +
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

} // namespace orbistan
