#include "ui/plot/plot.h"

#include "spectrum/diagnosis/markers.h"

#include <algorithm>
#include <cmath>

namespace orbistan::ui {

QSharedPointer<QCPGraphDataContainer> graphData(const std::vector<double>& keys,
                                                const std::vector<double>& values,
                                                AmplitudeScale scale) {
    QVector<QCPGraphData> lines(static_cast<qsizetype>(keys.size()));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        lines[static_cast<qsizetype>(i)] = {keys[i], onScale(values[i], scale)};
    }
    auto data = QSharedPointer<QCPGraphDataContainer>::create();
    data->set(lines, true);
    return data;
}

QCPItemText* mapReadout(QCustomPlot* plot, QCPAxisRect* rect) {
    auto* readout = new QCPItemText(plot);
    if (rect) {
        readout->setClipAxisRect(rect);
        readout->position->setAxisRect(rect);
    }
    readout->position->setType(QCPItemPosition::ptAxisRectRatio);
    readout->position->setCoords(0.01, 0.99);
    readout->setPositionAlignment(Qt::AlignBottom | Qt::AlignLeft);
    readout->setBrush(QColor(255, 255, 230, 230));
    readout->setPadding(QMargins(4, 2, 4, 2));
    readout->setVisible(false);
    return readout;
}

QColor familyColour(int family) {
    return QColor(QRgb(markerFamilies()[static_cast<std::size_t>(family)].rgb));
}

QPen markerPen(int family, int kind) {
    QColor colour = familyColour(family);
    if (kind == 2) {
        colour.setAlpha(80);
    }
    return QPen(colour, kind == 0 ? 1.2 : 1,
                kind == 0   ? Qt::SolidLine
                : kind == 1 ? Qt::DotLine
                            : Qt::DashLine);
}

} // namespace orbistan::ui
