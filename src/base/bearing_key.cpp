#include "base/bearing_key.h"

#include "base/bearing_number.h"
#include "platform/cp1251.h"

namespace orbistan {

std::optional<BearingKey> BearingFileKey(std::string_view numberText) {
    BearingKey k;
    k.trimmed = trimBearingNumber(numberText);
    if (holdsControlCharacter(k.trimmed)) {
        return std::nullopt;
    }
    k.key = k.trimmed;
    for (char& ch : k.key) {
        const auto b = static_cast<unsigned char>(ch);
        switch (b) {
        case '"':
        case '*':
        case ',':
        case '-':
        case '/':
        case ':':
        case '<':
        case '>':
        case '?':
        case '\\':
        case '_':
        case '|':
            ch = '%';
            break;
        default:
            if ((b >= 'a' && b <= 'z') || b >= 0xE0) {
                ch = static_cast<char>(b - 32);
            }
        }
    }
    return k;
}

std::filesystem::path BearingRecordPath(const DataFolders& folders, int standard,
                                        const BearingKey& key) {
    const std::filesystem::path& folder = standard == 1 ? folders.russian : folders.other;
    // The key has no '/' (it became '%') and no NUL, and ".Dat" makes "." and ".." impossible.
    return folder / (cp1251ToUtf8(key.key) + ".Dat");
}

} // namespace orbistan
