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

} // namespace orbistan
