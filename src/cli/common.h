#pragma once
// What the commands of orbistan-cli share.

#include "calc/validate.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace orbistan {

enum Exit { ExitDone = 0, ExitUsage = 1, ExitUnreadable = 2, ExitRange = 3, ExitFile = 4 };

// Thrown for a command line that does not fit; runCli prints it with the usage lines.
struct UsageError {
    std::string what;
};

inline bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// The range warnings' texts, one per line, in the window's order.
void writeRangeWarnings(const std::vector<RangeWarning>& warnings, std::ostream& err);

int keyCommand(const std::vector<std::string>& args, std::ostream& out);
int baseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orbistan
