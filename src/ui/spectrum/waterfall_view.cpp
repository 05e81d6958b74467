#include "ui/spectrum/waterfall_view.h"

#include "spectrum/diagnosis/families.h"
#include "ui/plot/plot.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

// How far above a record's floor the colours reach: records of different bands, units and
// whitening are drawn alike, each line by how far it stands out of its own record.
constexpr double kDynamicRange = 40;

// The median of a record's bins that hold something: its floor.
double floorOf(const std::vector<float>& a) {
    std::vector<float> held;
    std::copy_if(a.begin(), a.end(), std::back_inserter(held), [](float x) { return x > 0; });
    if (held.empty()) {
        return 0;
    }
    std::nth_element(held.begin(), held.begin() + held.size() / 2, held.end());
    return held[held.size() / 2];
}

QString shortTime(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString("dd.MM.yy hh:mm");
}

} // namespace

WaterfallView::WaterfallView(const SeriesDocument& series, QWidget* parent)
    : QWidget(parent), series_(series) {
    setObjectName("waterfallView");
    setAccessibleName("Водопад серии");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    auto* kindLabel = new QLabel("Спектры", this);
    kindBox_ = new QComboBox(this);
    kindBox_->setObjectName("waterfallKindBox");
    kindBox_->setAccessibleName("Спектры");
    kindBox_->addItems({"огибающей", "записи"});
    kindBox_->setToolTip("Водопад спектров огибающей (линии дефектов) или спектров записей");
    row->addWidget(kindLabel);
    row->addWidget(kindBox_);
    row->addStretch(1);
    column->addLayout(row);
    setUpPlot();
    redrawSoon_ = new QTimer(this);
    redrawSoon_->setSingleShot(true);
    redrawSoon_->setInterval(300);
    connect(redrawSoon_, &QTimer::timeout, this, &WaterfallView::redraw);
    connect(kindBox_, &QComboBox::currentIndexChanged, this, &WaterfallView::redraw);
}

void WaterfallView::setUpPlot() {
    plot_ = new QCustomPlot(this);
    plot_->setObjectName("waterfallPlot");
    plot_->setAccessibleName("Водопад");
    static_cast<QVBoxLayout*>(layout())->addWidget(plot_, 1);
    map_ = new QCPColorMap(plot_->xAxis, plot_->yAxis);
    scale_ = new QCPColorScale(plot_);
    plot_->plotLayout()->addElement(0, 1, scale_);
    scale_->setType(QCPAxis::atRight);
    scale_->axis()->setLabel("дБ над фоном записи");
    map_->setColorScale(scale_);
    map_->setGradient(QCPColorGradient::gpThermal);
    map_->setInterpolate(false);
    auto* margins = new QCPMarginGroup(plot_);
    plot_->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    scale_->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    plot_->xAxis->setLabel("Частота, Гц");
    for (std::size_t f = 0; f < kTrendFamilies; ++f) {
        lines_[f] = plot_->addGraph();
        QColor colour = familyColour(faultFamilies()[f].marker);
        colour.setAlpha(190);
        lines_[f]->setPen(QPen(colour, 1, Qt::DashLine));
    }
    connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
        if (const auto i = recordAt(plot_->yAxis->pixelToCoord(event->pos().y()))) {
            Q_EMIT recordChosen(*i, true);
        }
    });
}

void WaterfallView::setBearing(const std::optional<SearchBases>& bearing) {
    bearing_ = bearing;
    rowsChanged();
}

void WaterfallView::rowsChanged() {
    if (!redrawSoon_->isActive()) {
        redrawSoon_->start();
    }
}

bool WaterfallView::showingEnvelope() const {
    return kindBox_->currentIndex() == 0;
}

std::optional<std::size_t> WaterfallView::recordAt(double value) const {
    const auto i = static_cast<long long>(std::floor(value + 0.5));
    if (i < 0 || i >= static_cast<long long>(series_.rows().size())) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(i);
}

void WaterfallView::redraw() {
    drawMap();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

namespace {

// A record's height at a frequency of its profile (whose top may be lower than the map's) in
// dB above its floor; a record not read, or a frequency beyond its span, at the bottom of the
// colours.
double decibelsAt(const Profile& p, double hz, double floor) {
    const auto at =
        p.top > 0 ? static_cast<std::size_t>(hz / p.top * static_cast<double>(p.amplitude.size()))
                  : p.amplitude.size();
    const double a = at < p.amplitude.size() ? p.amplitude[at] : 0;
    const double db = a > 0 && floor > 0 ? 20 * std::log10(a / floor) : 0;
    return std::clamp(db, 0.0, kDynamicRange);
}

} // namespace

void WaterfallView::drawMap() {
    const std::vector<SeriesRow>& rows = series_.rows();
    const auto profile = [this](const SeriesRow& r) -> const Profile& {
        return showingEnvelope() ? r.envelope : r.spectrum;
    };
    double top = 0;
    std::size_t bins = 0;
    for (const SeriesRow& r : rows) {
        top = std::max(top, profile(r).top);
        bins = std::max(bins, profile(r).amplitude.size());
    }
    if (rows.empty() || bins == 0 || !(top > 0)) {
        map_->data()->clear();
        return;
    }
    map_->data()->setSize(static_cast<int>(bins), static_cast<int>(rows.size()));
    map_->data()->setRange(QCPRange(0, top), QCPRange(0, static_cast<double>(rows.size() - 1)));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const Profile& p = profile(rows[y]);
        const double floor = floorOf(p.amplitude);
        for (std::size_t x = 0; x < bins; ++x) {
            const double hz = (static_cast<double>(x) + 0.5) * top / static_cast<double>(bins);
            map_->data()->setCell(static_cast<int>(x), static_cast<int>(y),
                                  decibelsAt(p, hz, floor));
        }
    }
    map_->setDataRange(QCPRange(0, kDynamicRange));
    plot_->xAxis->setRange(0, top);
    plot_->yAxis->setRange(-0.5, static_cast<double>(rows.size()) - 0.5);
    // The records' times at a few heights.
    QSharedPointer<QCPAxisTickerText> ticker(new QCPAxisTickerText);
    const std::size_t step = std::max<std::size_t>(1, rows.size() / 6);
    for (std::size_t y = 0; y < rows.size(); y += step) {
        ticker->addTick(static_cast<double>(y), shortTime(rows[y].entry.time.seconds));
    }
    plot_->yAxis->setTicker(ticker);
    drawLines(top, rows.size());
}

// Each family's harmonics as strokes up the whole map, parted by gaps.
void WaterfallView::drawLines(double top, std::size_t records) {
    for (std::size_t f = 0; f < kTrendFamilies; ++f) {
        QVector<double> keys, values;
        const double base = bearing_ ? faultFamilies()[f].base(*bearing_) : 0;
        for (int k = 1; base > 0 && k * base < top; ++k) {
            keys << k * base << k * base << k * base;
            values << -0.5 << static_cast<double>(records) - 0.5
                   << std::numeric_limits<double>::quiet_NaN();
        }
        lines_[f]->setData(keys, values, true);
    }
}

} // namespace orbistan::ui
