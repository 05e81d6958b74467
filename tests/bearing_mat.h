#pragma once
// A MATLAB file in the layout of the public bearing dataset: the fan-end and drive-end
// records and the shaft speed in rev/min, as its files hold them.

#include <matio.h>

#include <filesystem>
#include <tuple>
#include <vector>

namespace orbistan::test {

inline bool writeBearingMat(const std::filesystem::path& path, std::vector<double> de,
                            std::vector<double> fe, double rpm, mat_ft version = MAT_FT_MAT5) {
    mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, version);
    if (!mat) {
        return false;
    }
    bool written = true;
    std::size_t deDims[2] = {de.size(), 1}, feDims[2] = {fe.size(), 1}, one[2] = {1, 1};
    for (auto [name, dims, data] :
         {std::tuple{"X097_FE_time", feDims, fe.data()},
          std::tuple{"X097_DE_time", deDims, de.data()}, std::tuple{"X097RPM", one, &rpm}}) {
        matvar_t* v = Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, data, 0);
        written = written && v && Mat_VarWrite(mat, v, MAT_COMPRESSION_NONE) == 0;
        Mat_VarFree(v);
    }
    Mat_Close(mat);
    return written;
}

} // namespace orbistan::test
