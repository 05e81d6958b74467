#pragma once
// What a MATLAB 7.3 file's HDF5 objects would make the library do beyond reading this file:
// follow a link into another file, draw a virtual dataset from others, read data stored
// outside it (any of which may be a FIFO that never answers, or a file the user never named);
// or hand back fill values for data never written, as if measured. Checked by walking its
// links once, without following any out of the file, before matio opens it.

#include <filesystem>
#include <string>

namespace orbistan {

// A phrase for a message ("«x» — ссылка на другой файл: …"); empty when every dataset's data
// is written in the file itself.
std::string hdf5ObjectsProblem(const std::filesystem::path& path);

} // namespace orbistan
