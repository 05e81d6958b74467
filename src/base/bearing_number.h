#pragma once
// The bearing number as the user types it into the number field.

#include <string>
#include <string_view>

namespace orbistan {

inline constexpr std::size_t kBearingNumberLimit = 50;

// A bearing number names a record file and stands on a line of the group file: it may hold
// no control character (codes 0 to 31 and 127), a NUL or a line break least of all.
bool holdsControlCharacter(std::string_view text);

// Cut to the first 50 characters, then strip leading and trailing blanks (only code 32).
std::string trimBearingNumber(std::string_view text);

} // namespace orbistan
