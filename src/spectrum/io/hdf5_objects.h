#pragma once
// What a MATLAB 7.3 file's HDF5 objects would make the library do beyond reading this file:
// follow a link into another file, draw a virtual dataset from others, read data stored
// outside it (any of which may be a FIFO that never answers, or a file the user never named);
// or hand back fill values for data never written, as if measured. Checked by walking its
// links once, without following any out of the file, before matio opens it.

#include "spectrum/io/mat_file.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orbistan {

// A phrase for a message ("«x» — ссылка на другой файл: …"); empty when every dataset's data
// is written in the file itself.
std::string hdf5ObjectsProblem(const std::filesystem::path& path);

// A version 7.3 file's numeric vectors, as matio would list them (top-level variables and the
// fields of 1×1 structs, "bearing.gs"), in one pass over its links: matio's own listing walks
// the group from its start for each variable, so its time grows as their number squared.
struct Hdf5Listing {
    std::vector<MatVector> vectors;
    bool unclassed = false; // a top-level dataset without MATLAB's class: not written by MATLAB
};
Hdf5Listing listHdf5Vectors(const std::filesystem::path& path);

} // namespace orbistan
