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
