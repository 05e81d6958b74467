#pragma once
// What the commands of orbistan-cli share.

#include "calc/compute.h"
#include "calc/validate.h"
#include "search/search.h"

#include <array>
#include <map>
#include <optional>

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

// Options of the compute command, the six geometry texts keyed by their option name, and
// the further options of the command that computes first.
struct ComputeArgs {
    std::map<std::string, std::string> geometry;
    int precision = 1;
    std::array<std::string, kMultiplierCount> multipliers;
    std::map<std::string, std::string> extra; // a flag has an empty value
};

struct ExtraOptions {
    std::vector<std::string> withValue;
    std::vector<std::string> flags;
};

// The options of a command that computes first: from args[first] on. Without
// geometryRequired, the six geometry options may all be left out (but not some of them).
ComputeArgs parseCompute(const std::vector<std::string>& args, const ExtraOptions& extra = {},
                         std::size_t first = 1, bool geometryRequired = true);

// Runs the computation; on a refusal writes the window's texts and gives the exit status.
std::optional<int> computeOrRefuse(const ComputeArgs& a, ComputeOutcome& c, std::ostream& err);

std::string extraOr(const ComputeArgs& a, const std::string& name, const std::string& fallback);

// The frequencies the search works on, as a computation left them.
SearchBases basesOf(const ComputeOutcome& c);

// The range warnings' texts, one per line, in the window's order.
void writeRangeWarnings(const std::vector<RangeWarning>& warnings, std::ostream& err);

int keyCommand(const std::vector<std::string>& args, std::ostream& out);
int baseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int spectrumCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int synthCommand(const std::vector<std::string>& args, std::ostream& err);
int envelopeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int diagnoseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int levelsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int reportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int trendCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orbistan
