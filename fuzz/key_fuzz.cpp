// Any bytes as a bearing number: the key refuses it or names a file directly inside the
// standard's folder, never the folder itself, its parent or a name cut short.
#include "base/bearing_key.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string number(reinterpret_cast<const char*>(data), size);
    const auto key = orbistan::BearingFileKey(number);
    if (!key) {
        return 0;
    }
    orbistan::DataFolders folders;
    folders.russian = "/base/Basa/Russian";
    folders.other = "/base/Basa/import";
    for (int standard : {0, 1}) {
        const std::filesystem::path path = orbistan::BearingRecordPath(folders, standard, *key);
        const std::string name = path.filename().string();
        const std::filesystem::path& folder = standard == 1 ? folders.russian : folders.other;
        if (path.parent_path() != folder || name == "." || name == ".." ||
            name.find('\0') != std::string::npos || name.find('/') != std::string::npos ||
            name.size() < 4 || name.compare(name.size() - 4, 4, ".Dat") != 0 ||
            std::string(path.c_str()) != path.string()) {
            std::abort();
        }
    }
    for (const char c : key->key) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            std::abort();
        }
    }
    return 0;
}
