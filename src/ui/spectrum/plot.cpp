#include "ui/spectrum/plot.h"

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

int frequencyDecimals(double resolution) {
    if (!(resolution > 0)) {
        return 2;
    }
    return std::clamp(static_cast<int>(std::ceil(-std::log10(resolution / 100))), 0, 6);
}

QColor familyColour(int family) {
    static const QColor kColours[] = {QColor(0, 70, 200),  QColor(0, 140, 60),
                                      QColor(200, 0, 200), QColor(120, 40, 160),
                                      QColor(230, 120, 0), QColor(90, 90, 90)};
    return kColours[family];
}

} // namespace orbistan::ui
