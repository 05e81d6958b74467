#pragma once
// The bearing number as the user types it into the number field.

#include <string>
#include <string_view>

namespace orbistan {

inline constexpr std::size_t kBearingNumberLimit = 50;

// Cut to the first 50 characters, then strip leading and trailing blanks (only code 32).
std::string trimBearingNumber(std::string_view text);

} // namespace orbistan
