#pragma once
// A MATLAB 7.3 file through HDF5, read only in a child process (child_process.h): HDF5 may
// crash or loop on a crafted file. Its vectors are listed in one pass over its links
// (matio's listing walks the group from its start for each variable, so its time grew as
// their number squared), and what would make HDF5 read beyond the file — a link into
// another file, a virtual dataset drawn from others, data stored outside it, any of which
// may be a FIFO that never answers or a file the user never named — or hand back fill
// values for data never written is refused before anything is read.

#include "spectrum/io/child_process.h"
#include "spectrum/io/mat_file.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace orbistan {

class Mat73File {
public:
    // Opens the file; throws SpectrumFileError when HDF5 cannot.
    Mat73File(const std::filesystem::path& path, ChildChannel& channel);
    ~Mat73File();
    Mat73File(const Mat73File&) = delete;
    Mat73File& operator=(const Mat73File&) = delete;

    // Its numeric vectors, as MATLAB names them: top-level variables and the fields of 1×1
    // structs ("bearing.gs"). Throws SpectrumFileError for a link, dataset or storage that
    // reaches outside the file, or data never written.
    std::vector<MatVector> list();
    // The vector at a path the listing gave, as doubles, read in slabs with signs of life.
    std::vector<double> read(const std::string& path);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace orbistan
