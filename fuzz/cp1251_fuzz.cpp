// Any bytes both ways through the code page 1251 codec: every code page text survives the way
// to UTF-8 and back (but the unassigned 0x98), and a UTF-8 text converts exactly or not at all.
#include "platform/cp1251.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = orbistan::cp1251ToUtf8(bytes);
    const auto back = orbistan::utf8ToCp1251(utf8);
    if (bytes.find('\x98') == std::string::npos && back != bytes) {
        std::abort();
    }
    if (const auto cp = orbistan::utf8ToCp1251(bytes)) {
        if (orbistan::cp1251ToUtf8(*cp) != bytes) {
            std::abort(); // an exact conversion is exact both ways
        }
    }
    const std::string lossy = orbistan::utf8ToCp1251Lossy(bytes);
    if (const auto cp = orbistan::utf8ToCp1251(bytes); cp && *cp != lossy) {
        std::abort(); // the lossy form differs only where the exact one refuses
    }
    return 0;
}
