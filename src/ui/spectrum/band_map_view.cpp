#include "ui/spectrum/band_map_view.h"

#include "ui/plot/plot.h"

#include "calc/numbers.h"

#include <algorithm>
#include <cmath>

namespace orbistan::ui {

namespace {

// Cells across the band: enough to tell the narrowest bands apart at any level.
constexpr int kCells = 384;

} // namespace

BandMapView::BandMapView(QCustomPlot* plot, bool detailed)
    : QObject(plot), plot_(plot), detailed_(detailed) {
    plot->setBackground(Qt::white);
    plot->yAxis->setRangeReversed(true); // the widest bands at the top
    colours_ = new QCPColorMap(plot->xAxis, plot->yAxis);
    colours_->setGradient(QCPColorGradient::gpThermal);
    colours_->setInterpolate(false);
    outline_ = new QCPItemRect(plot);
    outline_->setPen(QPen(QColor(0, 170, 255), 2));
    outline_->setVisible(false);
    connect(plot, &QCustomPlot::mousePress, this, &BandMapView::clicked);
    if (detailed) {
        setUpDetails();
    } else { // a thumbnail: the map alone
        plot->axisRect()->setAutoMargins(QCP::msNone);
        plot->axisRect()->setMargins(QMargins(1, 1, 1, 1));
        plot->xAxis->setVisible(false);
        plot->yAxis->setVisible(false);
    }
    show(std::nullopt, std::nullopt);
}

void BandMapView::setUpDetails() {
    plot_->xAxis->setLabel("Частота, Гц");
    plot_->yAxis->setLabel("Ширина полосы, Гц");
    auto* scale = new QCPColorScale(plot_);
    plot_->plotLayout()->addElement(0, 1, scale);
    scale->setLabel(kBandMapMeasure);
    scale->setGradient(colours_->gradient()); // the thumbnail's colours
    colours_->setColorScale(scale);
    auto* group = new QCPMarginGroup(plot_);
    plot_->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, group);
    scale->setMarginGroup(QCP::msBottom | QCP::msTop, group);
    plot_->plotLayout()->insertRow(0);
    title_ = new QCPTextElement(plot_, "", QFont(plot_->font().family(), 9, QFont::Bold));
    plot_->plotLayout()->addElement(0, 0, title_);
    readout_ = mapReadout(plot_);
    plot_->setMouseTracking(true);
    connect(plot_, &QCustomPlot::mouseMove, this, &BandMapView::hovered);
    plot_->setToolTip("Щелчок по полосе: спектр огибающей этой полосы");
}

void BandMapView::show(const std::optional<BandMap>& map, std::optional<Band> outlined) {
    map_ = map;
    const bool drawn = map.has_value() && !map->levels.empty();
    if (!detailed_) { // the large one is shown by its tab
        plot_->setVisible(drawn);
    }
    if (!drawn) {
        colours_->data()->clear();
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
    outline(outlined, top);
    if (detailed_) {
        showDetails();
    }
    plot_->replot();
}

// The band in use outlined on the level of its width, and said.
void BandMapView::outline(std::optional<Band> outlined, double top) {
    const std::vector<BandMapLevel>& levels = map_->levels;
    outline_->setVisible(false);
    chosen_.clear();
    for (std::size_t y = 0; outlined && y < levels.size(); ++y) {
        if (std::abs(levels[y].bandwidth - (outlined->high - outlined->low)) < 1e-6 * top) {
            outline_->topLeft->setCoords(outlined->low, static_cast<double>(y) - 0.5);
            outline_->bottomRight->setCoords(outlined->high, static_cast<double>(y) + 0.5);
            outline_->setVisible(true);
            if (const auto cell = cellAt((outlined->low + outlined->high) / 2, double(y))) {
                chosen_ =
                    "Выбрана: " + QString::fromStdString(bandCellText(cell->first, cell->second));
            }
        }
    }
}

// Each level named by its band width; the chosen band said over the map and to screen readers.
void BandMapView::showDetails() {
    QSharedPointer<QCPAxisTickerText> widths(new QCPAxisTickerText);
    for (std::size_t y = 0; y < map_->levels.size(); ++y) {
        widths->addTick(double(y), QString::fromStdString(formatGeneral(
                                       std::round(map_->levels[y].bandwidth * 10) / 10)));
    }
    plot_->yAxis->setTicker(widths);
    title_->setText(chosen_.isEmpty() ? "Карта полос: щёлкните полосу" : chosen_);
    plot_->setAccessibleName("Карта полос" + (chosen_.isEmpty() ? QString() : ". " + chosen_));
}

std::optional<std::pair<Band, double>> BandMapView::cellAt(double frequency, double level) const {
    const std::optional<Band> band = bandAt(frequency, level);
    if (!band) {
        return std::nullopt;
    }
    const BandMapLevel& l = map_->levels[static_cast<std::size_t>(std::lround(level))];
    return std::pair(*band, l.measures[static_cast<std::size_t>(band->low / l.bandwidth + 0.5)]);
}

void BandMapView::hovered(QMouseEvent* event) {
    const QPointF at = event->position();
    const auto cell =
        cellAt(plot_->xAxis->pixelToCoord(at.x()), plot_->yAxis->pixelToCoord(at.y()));
    readout_->setVisible(cell.has_value());
    if (cell) {
        readout_->setText(QString::fromStdString(bandCellText(cell->first, cell->second)));
    }
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

QString BandMapView::readout() const {
    return readout_ && readout_->visible() ? readout_->text() : QString();
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
