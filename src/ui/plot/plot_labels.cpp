#include "ui/plot/plot_labels.h"

#include "spectrum/diagnosis/cursors.h"

#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

constexpr double kLabelGap = 3; // pixels kept clear between two labels

} // namespace

std::vector<PlotLabel> markerNameLabels(const Workbench& doc, const QCPRange& view) {
    std::vector<PlotLabel> labels;
    if (!doc.hasSpectrum() || !doc.bearing()) {
        return labels;
    }
    for (const MarkerLine& line : doc.markerLines()) {
        if (view.contains(line.frequency) && !line.computed) { // the found line is named
            labels.push_back({line.frequency, std::numeric_limits<double>::quiet_NaN(),
                              QString::fromStdString(markerName(line)), familyColour(line.family),
                              markerLabelPriority(line)});
        }
    }
    return labels;
}

std::vector<PlotLabel> peakLabels(const Workbench& doc, const QCPRange& view) {
    std::vector<PlotLabel> labels;
    const Spectrum* s = doc.displayed();
    if (!s) {
        return labels;
    }
    const AmplitudeScale scale = doc.settings().amplitudeScale;
    const int decimals = std::max(0, frequencyDecimals(s->resolution) - 1);
    const auto count = static_cast<std::size_t>(doc.settings().peakLabels);
    for (std::size_t i = 0; i < doc.rows().size() && i < count; ++i) {
        const Peak& p = doc.rows()[i].peak;
        if (view.contains(p.frequency)) {
            labels.push_back({p.frequency, onScale(p.amplitude, scale),
                              QString::number(p.frequency, 'f', decimals).replace('.', ','),
                              QColor(150, 0, 0), static_cast<int>(i)});
        }
    }
    return labels;
}

QFont labelFont(const QCustomPlot& plot) {
    return QFont(plot.font().family(), 7);
}

std::vector<std::size_t> standingLabels(const QCustomPlot& plot,
                                        const std::vector<PlotLabel>& labels) {
    const QFontMetrics metrics(labelFont(plot));
    std::vector<LabelSpan> spans;
    for (const PlotLabel& l : labels) {
        const double x = plot.xAxis->coordToPixel(l.frequency);
        const double half = (metrics.horizontalAdvance(l.text) + 2) / 2.0;
        // A peak's label stands on the peak; the others in a row at the top.
        const bool top = std::isnan(l.value);
        const double bottom = top ? 0 : plot.yAxis->coordToPixel(l.value);
        spans.push_back(
            {x - half, x + half, l.priority, top ? 0 : bottom - metrics.height(), bottom});
    }
    return thinLabels(spans, kLabelGap);
}

void showLabel(QCPItemText& item, const PlotLabel& l) {
    const bool top = std::isnan(l.value);
    item.position->setTypeX(QCPItemPosition::ptPlotCoords);
    item.position->setTypeY(top ? QCPItemPosition::ptAxisRectRatio : QCPItemPosition::ptPlotCoords);
    item.position->setCoords(l.frequency, top ? 0 : l.value);
    item.setPositionAlignment(Qt::AlignHCenter | (top ? Qt::AlignTop : Qt::AlignBottom));
    item.setText(l.text);
    item.setColor(l.colour);
}

} // namespace orbistan::ui
