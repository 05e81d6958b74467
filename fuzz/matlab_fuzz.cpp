// Any bytes as a file named fuzz.mat, opened as the spectrum window opens it (file_fuzz.h).
#include "file_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzFile(data, size, "fuzz.mat");
}
