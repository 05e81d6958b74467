#include "base/bearing_number.h"

namespace orbistan {

std::string trimBearingNumber(std::string_view text) {
    text = text.substr(0, std::min(text.size(), kBearingNumberLimit));
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return std::string(text);
}

bool holdsControlCharacter(std::string_view text) {
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            return true;
        }
    }
    return false;
}

} // namespace orbistan
