// Any bytes as a bearing record file: the reader refuses or reads, and what it reads is
// written back to a record that reads the same.
#include "datafiles/bearing_record.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto record = orbistan::parseBearingRecord(bytes);
    if (!record) {
        return 0;
    }
    for (double v : {record->d, record->D, record->a, record->dw, record->Z}) {
        if (!std::isfinite(v)) {
            std::abort();
        }
    }
    if (record->info.find_first_of("\r\n\x1A") != std::string::npos ||
        (!record->info.empty() && record->info.front() == ' ')) {
        std::abort(); // one line, its leading blanks gone
    }
    const std::string written = orbistan::formatBearingRecord(*record);
    const auto again = orbistan::parseBearingRecord(written);
    if (!again || again->kind != record->kind || again->shape != record->shape ||
        again->info != record->info || orbistan::formatBearingRecord(*again) != written) {
        std::abort(); // a record the program wrote reads back to the same bytes
    }
    return 0;
}
