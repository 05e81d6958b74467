#include "datafiles/group_file.h"

#include "base/bearing_number.h"
#include "calc/numbers.h"
#include "datafiles/number_reader.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"

namespace orbistan {

std::string formatGroup(const std::array<GroupSlot, kGroupSlots>& slot) {
    std::string out;
    for (const GroupSlot& s : slot) {
        for (double v : {s.Fr, s.d, s.D, s.a, s.dw, s.Z}) {
            out += formatFileReal(v);
            out += ' ';
        }
        out += std::to_string(s.standard);
        out += ' ';
        out += s.number;
        out += "\r\n";
    }
    return out;
}

std::optional<std::array<GroupSlot, kGroupSlots>> parseGroup(std::string_view bytes) {
    NumberReader in(bytes);
    std::array<GroupSlot, kGroupSlots> slot;
    for (GroupSlot& s : slot) {
        for (double* v : {&s.Fr, &s.d, &s.D, &s.a, &s.dw, &s.Z}) {
            if (!in.readReal(*v)) {
                return std::nullopt;
            }
        }
        if (!in.readInteger(s.standard)) {
            return std::nullopt;
        }
        // The blank after the standard separates; the number is at most 50 characters after
        // it, so that a group the program wrote reads back whole.
        std::string_view rest = in.restOfLine();
        if (!rest.empty() && rest.front() == ' ') {
            rest.remove_prefix(1);
        }
        s.number = std::string(rest.substr(0, 50));
        if (holdsControlCharacter(s.number)) {
            return std::nullopt; // it would become a file name and a field's text
        }
    }
    return slot;
}

GroupRead ReadGroupFile(const std::filesystem::path& path) {
    const FileBytes read = readDataFile(path);
    if (read.error != 0) {
        return {read.error, {}};
    }
    const auto slot = parseGroup(read.bytes);
    if (!slot) {
        return {kInvalidNumericInput, {}};
    }
    return {0, *slot};
}

int WriteGroupFile(const std::filesystem::path& path,
                   const std::array<GroupSlot, kGroupSlots>& slot) {
    return writeFileAtomically(path, formatGroup(slot));
}

} // namespace orbistan
