#pragma once
// What the main window asks of the spectrum window. The spectrum window, with the signal
// processing and file libraries it needs (FFTW, libsndfile, matio with HDF5, QCustomPlot),
// lives in a library of its own that the main window opens the first time the window is
// asked for: a calculation never waits for them at start-up.

#include "spectrum/workbench/report.h"
#include "spectrum/workbench/workbench.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace orbistan::ui {

class SpectrumWorkbench {
public:
    virtual ~SpectrumWorkbench() = default;
    virtual QWidget* widget() = 0;
    virtual void setProgramDir(const std::filesystem::path& dir) = 0;
    virtual void setBearingSource(std::function<std::optional<WorkbenchBearing>()> source) = 0;
    virtual void setShaftSpeedText(std::function<QString()> text) = 0;
    virtual void setReportSource(std::function<ReportContext()> source) = 0;
    // A peak was clicked: its frequency, as the keypad should show it.
    virtual void onPeakChosen(std::function<void(const QString&)> chosen) = 0;
    // The shaft speed that the spectrum or the file gives, as the Fr field should show it.
    virtual void onShaftSpeedChosen(std::function<void(const QString&)> chosen) = 0;
    virtual void bearingChanged() = 0;
};

// The library's one entry point, looked up by this name.
inline constexpr const char* kCreateWorkbenchSymbol = "orbistanCreateSpectrumWorkbench";
using CreateWorkbench = SpectrumWorkbench* (*)();

} // namespace orbistan::ui
