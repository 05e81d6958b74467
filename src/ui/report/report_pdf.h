#pragma once
// The report's page for the command line: drawn as the window draws it, on Qt's offscreen
// platform (no display is needed). Only this part of the command line touches Qt.

#include "spectrum/workbench/report.h"

#include <string>

namespace orbistan {

// The PDF bytes of the report of what the workbench shows.
std::string reportPdfBytes(const Report& report, const Workbench& doc);

} // namespace orbistan
