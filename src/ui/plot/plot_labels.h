#pragma once
// The names and frequencies the spectrum plot writes on itself, as the window and the
// report both draw them: which labels there are for what the workbench shows, which of them
// stand where they crowd, and how an item shows one.

#include "spectrum/workbench/workbench.h"
#include "ui/plot/plot.h"

#include <vector>

namespace orbistan::ui {

struct PlotLabel {
    double frequency = 0;
    double value = 0; // on the value axis; NaN: in the row at the top of the plot
    QString text;
    QColor colour;
    int priority = 0; // lower stands first
};

// The marker lines in view by name (none without a bearing), harmonics before sidebands.
std::vector<PlotLabel> markerNameLabels(const Workbench& doc, const QCPRange& view);
// The highest peaks in view by their frequency, the highest first.
std::vector<PlotLabel> peakLabels(const Workbench& doc, const QCPRange& view);

QFont labelFont(const QCustomPlot& plot);
// The labels that stand, as the plot's axes stand now; in the order given.
std::vector<std::size_t> standingLabels(const QCustomPlot& plot,
                                        const std::vector<PlotLabel>& labels);
void showLabel(QCPItemText& item, const PlotLabel& label);

} // namespace orbistan::ui
