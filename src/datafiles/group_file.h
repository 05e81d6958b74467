#pragma once
// The group file: 21 lines, one per slot, Fr d D a dw Z in the 23-character real form,
// the standard and the number, in code page 1251 with CR LF.

#include "calc/group.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

inline constexpr const char* kAutoSaveGroup = "AutoSave.group";

std::string formatGroup(const std::array<GroupSlot, kGroupSlots>& slot);

// Empty when a number does not convert (a word, a decimal comma). Lines missing at the end
// leave their slots empty. A number is the rest of its line after the standard and its
// separating blank, up to 50 characters.
std::optional<std::array<GroupSlot, kGroupSlots>> parseGroup(std::string_view bytes);

struct GroupRead {
    int error = 0; // the run-time error code: kFileNotFound when there is no such file,
                   // kInvalidNumericInput when a line does not read
    std::array<GroupSlot, kGroupSlots> slot{};
};
GroupRead ReadGroupFile(const std::filesystem::path& path);

// Replaces the file whole: 0, or the run-time error code of the failure.
int WriteGroupFile(const std::filesystem::path& path,
                   const std::array<GroupSlot, kGroupSlots>& slot);

} // namespace orbistan
