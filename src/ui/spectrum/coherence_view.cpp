#include "ui/spectrum/coherence_view.h"

#include "ui/plot/plot.h"

#include "calc/numbers.h"
#include "spectrum/diagnosis/evidence.h"
#include "spectrum/diagnosis/families.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

// The colours reach their brightest at this share of the map's points: a few coherent points
// (the shaft's, the fault's) would otherwise leave the rest dark.
constexpr double kBrightest = 0.999;

QString hz(double v) {
    return QString::fromStdString(formatGeneral(std::round(v)));
}

} // namespace

CoherenceView::CoherenceView(QWidget* parent) : QWidget(parent) {
    setObjectName("coherenceView");
    setAccessibleName("Когерентность");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    methodBox_ = new QCheckBox("Диагноз по когерентности", this);
    methodBox_->setObjectName("coherenceMethodBox");
    methodBox_->setToolTip("Диагноз по усиленному спектру огибающей (спектральной "
                           "когерентности) вместо наилучшего из спектров огибающей");
    layout->addWidget(methodBox_);
    connect(methodBox_, &QCheckBox::toggled, this, &CoherenceView::diagnosisMethodChosen);
    setUpPlot();
    layout->addWidget(plot_, 1);
    show(nullptr, std::nullopt, nullptr, std::nullopt, false);
}

void CoherenceView::setUpPlot() {
    plot_ = new QCustomPlot(this);
    plot_->setObjectName("coherencePlot");
    plot_->setAccessibleName("Спектральная когерентность");
    plot_->setBackground(Qt::white);
    QCPLayoutGrid* grid = plot_->plotLayout();
    mapRect_ = plot_->axisRect();
    spectrumRect_ = new QCPAxisRect(plot_);
    grid->insertRow(0);
    title_ = new QCPTextElement(plot_, "", QFont(plot_->font().family(), 9, QFont::Bold));
    grid->addElement(0, 0, title_);
    grid->addElement(2, 0, spectrumRect_);
    grid->setRowStretchFactors({0.01, 3, 2});
    scale_ = new QCPColorScale(plot_);
    grid->addElement(1, 1, scale_);
    scale_->setLabel(kCoherenceMeasure);
    colours_ = new QCPColorMap(mapRect_->axis(QCPAxis::atBottom), mapRect_->axis(QCPAxis::atLeft));
    colours_->setGradient(QCPColorGradient::gpThermal);
    colours_->setInterpolate(false);
    colours_->setColorScale(scale_);
    auto* rows = new QCPMarginGroup(plot_);
    mapRect_->setMarginGroup(QCP::msBottom | QCP::msTop, rows);
    scale_->setMarginGroup(QCP::msBottom | QCP::msTop, rows);
    auto* columns = new QCPMarginGroup(plot_);
    mapRect_->setMarginGroup(QCP::msLeft | QCP::msRight | QCP::msBottom | QCP::msTop, columns);
    spectrumRect_->setMarginGroup(QCP::msLeft | QCP::msRight, columns);
    mapRect_->axis(QCPAxis::atBottom)->setLabel("Циклическая частота, Гц");
    mapRect_->axis(QCPAxis::atLeft)->setLabel("Несущая, Гц");
    spectrumRect_->axis(QCPAxis::atBottom)->setLabel("Циклическая частота, Гц");
    spectrumRect_->axis(QCPAxis::atLeft)->setLabel("Когерентность");
    setUpItems();
    plot_->setMouseTracking(true);
    connect(plot_, &QCustomPlot::mousePress, this, &CoherenceView::pressed);
    connect(plot_, &QCustomPlot::mouseMove, this, &CoherenceView::moved);
    connect(plot_, &QCustomPlot::mouseRelease, this, &CoherenceView::released);
    plot_->setToolTip("Протяните вверх или вниз по карте: усиленный спектр огибающей этих "
                      "несущих");
}

// The spectrum's graph, the families' lines over the map and the spectrum, the carriers'
// outline and the read-out.
void CoherenceView::setUpItems() {
    spectrum_ = plot_->addGraph(spectrumRect_->axis(QCPAxis::atBottom),
                                spectrumRect_->axis(QCPAxis::atLeft));
    spectrum_->setPen(QPen(QColor(200, 0, 0), 1));
    for (std::size_t f = 0; f < mapLines_.size(); ++f) {
        QColor colour = familyColour(faultFamilies()[f].marker);
        mapLines_[f] =
            plot_->addGraph(mapRect_->axis(QCPAxis::atBottom), mapRect_->axis(QCPAxis::atLeft));
        mapLines_[f]->setPen(QPen(colour.lighter(150), 1, Qt::DashLine));
        spectrumLines_[f] = plot_->addGraph(spectrumRect_->axis(QCPAxis::atBottom),
                                            spectrumRect_->axis(QCPAxis::atLeft));
        spectrumLines_[f]->setPen(QPen(colour, 1, Qt::DashLine));
    }
    outline_ = new QCPItemRect(plot_);
    outline_->setClipAxisRect(mapRect_);
    for (QCPItemPosition* corner : {outline_->topLeft, outline_->bottomRight}) {
        corner->setAxes(mapRect_->axis(QCPAxis::atBottom), mapRect_->axis(QCPAxis::atLeft));
    }
    // Seen over every colour of the map: white, the carriers within lightened.
    outline_->setPen(QPen(Qt::white, 2, Qt::DashLine));
    outline_->setBrush(QColor(255, 255, 255, 40));
    readout_ = mapReadout(plot_, mapRect_);
}

void CoherenceView::show(std::shared_ptr<const CoherenceMap> map, std::optional<Band> carriers,
                         const Spectrum* spectrum, const std::optional<SearchBases>& bearing,
                         bool diagnosisByCoherence) {
    map_ = std::move(map);
    bearing_ = bearing;
    {
        const QSignalBlocker keep(methodBox_);
        methodBox_->setChecked(diagnosisByCoherence);
    }
    outline_->setVisible(false);
    readout_->setVisible(false);
    if (!map_ || map_->cyclics < 2) {
        colours_->data()->clear();
        spectrum_->data()->clear();
        title_->setText(failure_.isEmpty()
                            ? "Спектральная когерентность вычисляется…"
                            : "Спектральная когерентность не вычислена: " + failure_);
        plot_->replot(QCustomPlot::rpQueuedReplot);
        return;
    }
    drawMap(*map_);
    const double top = static_cast<double>(map_->cyclics - 1) * map_->cyclicStep;
    drawLines(top);
    if (spectrum) {
        spectrum_->setData(QVector<double>(spectrum->frequency.begin(), spectrum->frequency.end()),
                           QVector<double>(spectrum->amplitude.begin(), spectrum->amplitude.end()),
                           true);
        spectrum_->rescaleValueAxis(false, true);
        spectrumRect_->axis(QCPAxis::atLeft)->setRangeLower(0);
    } else {
        spectrum_->data()->clear();
    }
    spectrumRect_->axis(QCPAxis::atBottom)->setRange(0, top);
    if (carriers) {
        outline(carriers->low, carriers->high);
    }
    title_->setText(carriers && spectrum
                        ? "Спектральная когерентность: несущие " + hz(carriers->low) + "–" +
                              hz(carriers->high) + " Гц · протяните по карте, чтобы выбрать другие"
                        : "Спектральная когерентность: протяните по карте "
                          "вверх или вниз, чтобы выбрать несущие");
    plot_->setAccessibleName("Спектральная когерентность. " + title_->text());
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void CoherenceView::drawMap(const CoherenceMap& map) {
    const auto cyclics = static_cast<int>(map.cyclics - 1),
               carriers = static_cast<int>(map.carriers);
    QCPColorMapData* data = colours_->data();
    data->setSize(cyclics, carriers);
    data->setRange(QCPRange(map.cyclicStep, static_cast<double>(cyclics) * map.cyclicStep),
                   QCPRange(0, static_cast<double>(carriers - 1) * map.carrierStep));
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(cyclics) * static_cast<std::size_t>(carriers));
    for (int c = 0; c < carriers; ++c) {
        for (int k = 0; k < cyclics; ++k) {
            const float v = map.at(static_cast<std::size_t>(c), static_cast<std::size_t>(k) + 1);
            data->setCell(k, c, v);
            values.push_back(v);
        }
    }
    const auto brightest =
        values.begin() +
        static_cast<std::ptrdiff_t>(kBrightest * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), brightest, values.end());
    colours_->setDataRange(QCPRange(0, std::max(1e-6, static_cast<double>(*brightest))));
    mapRect_->axis(QCPAxis::atBottom)->setRange(0, static_cast<double>(cyclics) * map.cyclicStep);
    mapRect_->axis(QCPAxis::atLeft)
        ->setRange(0, static_cast<double>(carriers - 1) * map.carrierStep);
}

// Each family's harmonics the diagnosis weighs, over the map and the spectrum alike.
void CoherenceView::drawLines(double top) {
    const double carrierTop = mapRect_->axis(QCPAxis::atLeft)->range().upper;
    const double spectrumTop = 1e9; // clipped to the spectrum's axis rect
    for (std::size_t f = 0; f < mapLines_.size(); ++f) {
        QVector<double> keys, mapValues, spectrumValues;
        const double base = bearing_ ? faultFamilies()[f].base(*bearing_) : 0;
        for (int k = 1; base > 0 && k * base < top && k <= kEvidenceHarmonics; ++k) {
            keys << k * base << k * base << k * base;
            mapValues << 0 << carrierTop << std::numeric_limits<double>::quiet_NaN();
            spectrumValues << 0 << spectrumTop << std::numeric_limits<double>::quiet_NaN();
        }
        mapLines_[f]->setData(keys, mapValues, true);
        spectrumLines_[f]->setData(keys, spectrumValues, true);
    }
}

void CoherenceView::outline(double low, double high) {
    const QCPRange across = mapRect_->axis(QCPAxis::atBottom)->range();
    outline_->topLeft->setCoords(across.lower, high);
    outline_->bottomRight->setCoords(across.upper, low);
    outline_->setVisible(true);
}

void CoherenceView::pressed(QMouseEvent* event) {
    if (map_ && event->button() == Qt::LeftButton &&
        mapRect_->rect().contains(event->position().toPoint())) {
        dragFrom_ = mapRect_->axis(QCPAxis::atLeft)->pixelToCoord(event->position().y());
    }
}

void CoherenceView::moved(QMouseEvent* event) {
    const QPointF at = event->position();
    if (!map_) {
        return;
    }
    if (dragFrom_) {
        outline(std::min(*dragFrom_, mapRect_->axis(QCPAxis::atLeft)->pixelToCoord(at.y())),
                std::max(*dragFrom_, mapRect_->axis(QCPAxis::atLeft)->pixelToCoord(at.y())));
    }
    const QString text = mapRect_->rect().contains(at.toPoint())
                             ? QString::fromStdString(coherenceCellText(
                                   *map_, mapRect_->axis(QCPAxis::atBottom)->pixelToCoord(at.x()),
                                   mapRect_->axis(QCPAxis::atLeft)->pixelToCoord(at.y())))
                             : QString();
    readout_->setVisible(!text.isEmpty());
    readout_->setText(text);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

// A drag over at least a carrier chooses the carriers it spans, within the map's.
void CoherenceView::released(QMouseEvent* event) {
    if (!dragFrom_ || !map_) {
        return;
    }
    const double to = mapRect_->axis(QCPAxis::atLeft)->pixelToCoord(event->position().y());
    const double top = static_cast<double>(map_->carriers - 1) * map_->carrierStep;
    const double low = std::clamp(std::min(*dragFrom_, to), 0.0, top);
    const double high = std::clamp(std::max(*dragFrom_, to), 0.0, top);
    dragFrom_.reset();
    if (high - low >= map_->carrierStep) {
        Q_EMIT carriersChosen(Band{std::round(low), std::round(high)});
    }
}

QString CoherenceView::readout() const {
    return readout_->visible() ? readout_->text() : QString();
}

QString CoherenceView::title() const {
    return title_->text();
}

} // namespace orbistan::ui
