#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orbistan {

// Runs orbistan-cli with its arguments (without the program name); returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orbistan
