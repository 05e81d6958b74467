#pragma once
// The options every spectrum command reads the same way (how a file is read and transformed,
// the band, the unit, the slip), the task they make, and what the user is told of how a
// file was read.

#include "cli/common.h"

#include "spectrum/workbench/workbench.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orbistan {

// A number option as the window reads its fields; nullopt when it does not read.
std::optional<double> numberOption(const ComputeArgs& a, const std::string& name,
                                   const std::string& fallback);
// A whole number within [low, high]; a usage error otherwise.
long wholeOption(const ComputeArgs& a, const std::string& name, const std::string& fallback,
                 long low, long high);
TransformSettings transformOptions(const ComputeArgs& a);
// "LOW:HIGH" in hertz, read as the window reads its fields; nullopt for "auto".
std::optional<Band> bandOption(const ComputeArgs& a, const std::string& fallback);
Unit unitOption(const ComputeArgs& a);
// How far from its kinematic frequency a family's fundamental is looked for, in percent.
double slipOption(const ComputeArgs& a);
// How the record's running speed is known: --speed-range P (percent about --Fr) or
// --Fr-exact (the speed given is the running one).
SpeedSearch speedOption(const ComputeArgs& a);
// The options that say it.
extern const std::vector<std::string> kSpeedOptions, kSpeedFlags;

// The task the window would run for the same file and settings; every option is checked
// before any file is read.
WorkbenchTask taskOf(const std::string& file, const ComputeArgs& a, TaskKind kind);

// How a file that could be read two ways was read, and how to read it the other.
void noteLayout(const std::filesystem::path& path, const FileContents& c, std::ostream& err);
// What the user should know of how a file was read: a layout it could have been read in
// otherwise, a rate assumed or given over the file's own. True when the rate was assumed.
bool noteReading(const WorkbenchTask& task, const TaskResult& r, std::ostream& err);
// The verdicts just printed were made at a rate only assumed.
void noteVerdictsOnAssumedRate(const std::filesystem::path& path, std::ostream& err);
// An option that does not apply to what the file holds is refused, never passed over.
void requireOptionsApply(const WorkbenchTask& task, const FileContents& c, bool recording);

// The options of how a file is read and transformed, on every spectrum command.
extern const std::vector<std::string> kTransformOptions;
std::vector<std::string> with(std::vector<std::string> options,
                              const std::vector<std::string>& more);

} // namespace orbistan
