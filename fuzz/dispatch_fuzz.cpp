// Any bytes under a name that says nothing of the format, opened as the spectrum window
// opens it (file_fuzz.h): the sniffers decide which reader gets them.
#include "file_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzFile(data, size, "fuzz.dat");
}
