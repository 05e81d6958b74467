#include "ui/spectrum/band_map_view.h"

#include "ui/plot/plot.h"

#include <algorithm>
#include <cmath>

namespace orbistan::ui {

namespace {

// Cells across the band: enough to tell the narrowest bands apart at any level.
constexpr int kCells = 384;

} // namespace

BandMapView::BandMapView(QCustomPlot* plot) : QObject(plot), plot_(plot) {
    plot->setBackground(Qt::white);
    plot->axisRect()->setAutoMargins(QCP::msNone);
    plot->axisRect()->setMargins(QMargins(1, 1, 1, 1));
    plot->xAxis->setVisible(false);
    plot->yAxis->setVisible(false);
    plot->yAxis->setRangeReversed(true); // the widest bands at the top
    colours_ = new QCPColorMap(plot->xAxis, plot->yAxis);
    colours_->setGradient(QCPColorGradient::gpThermal);
    colours_->setInterpolate(false);
    outline_ = new QCPItemRect(plot);
    outline_->setPen(QPen(QColor(0, 170, 255), 2));
    outline_->setVisible(false);
    connect(plot, &QCustomPlot::mousePress, this, &BandMapView::clicked);
    show(std::nullopt, std::nullopt);
}

void BandMapView::show(const std::optional<BandMap>& map, std::optional<Band> outlined) {
    map_ = map;
    plot_->setVisible(map.has_value() && !map->levels.empty());
    if (!plot_->isVisible()) {
        return;
    }
    const std::vector<BandMapLevel>& levels = map->levels;
    const double top =
        levels.front().bandwidth * static_cast<double>(levels.front().measures.size());
    QCPColorMapData* data = colours_->data();
    data->setSize(kCells, static_cast<int>(levels.size()));
    data->setRange(QCPRange(0, top), QCPRange(0, static_cast<double>(levels.size()) - 1));
    for (int y = 0; y < static_cast<int>(levels.size()); ++y) {
        const BandMapLevel& level = levels[static_cast<std::size_t>(y)];
        for (int x = 0; x < kCells; ++x) {
            const double f = (x + 0.5) * top / kCells;
            const auto band =
                std::min(level.measures.size() - 1, static_cast<std::size_t>(f / level.bandwidth));
            data->setCell(x, y, level.measures[band]);
        }
    }
    colours_->rescaleDataRange(true);
    plot_->xAxis->setRange(0, top);
    plot_->yAxis->setRange(-0.5, static_cast<double>(levels.size()) - 0.5);
    outline_->setVisible(false);
    for (std::size_t y = 0; outlined && y < levels.size(); ++y) {
        if (std::abs(levels[y].bandwidth - (outlined->high - outlined->low)) < 1e-6 * top) {
            outline_->topLeft->setCoords(outlined->low, static_cast<double>(y) - 0.5);
            outline_->bottomRight->setCoords(outlined->high, static_cast<double>(y) + 0.5);
            outline_->setVisible(true);
        }
    }
    plot_->replot();
}

std::optional<Band> BandMapView::bandAt(double frequency, double level) const {
    if (!map_ || map_->levels.empty()) {
        return std::nullopt;
    }
    const long y = std::lround(level);
    if (y < 0 || y >= static_cast<long>(map_->levels.size()) || !(frequency >= 0)) {
        return std::nullopt;
    }
    const BandMapLevel& l = map_->levels[static_cast<std::size_t>(y)];
    const auto i = static_cast<std::size_t>(frequency / l.bandwidth);
    if (i >= l.measures.size()) {
        return std::nullopt;
    }
    return Band{static_cast<double>(i) * l.bandwidth, static_cast<double>(i + 1) * l.bandwidth};
}

void BandMapView::clicked(QMouseEvent* event) {
    const QPointF at = event->position();
    if (const std::optional<Band> band =
            bandAt(plot_->xAxis->pixelToCoord(at.x()), plot_->yAxis->pixelToCoord(at.y()))) {
        Q_EMIT bandChosen(*band);
    }
}

} // namespace orbistan::ui
