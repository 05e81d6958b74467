#include "ui/spectrum/waveform_view.h"

#include "spectrum/diagnosis/cursors.h"
#include "spectrum/workbench/report.h"
#include "ui/kit/text.h"
#include "ui/plot/plot.h"
#include "ui/spectrum/plot_interaction.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

// Below this many seconds shown, the time axis reads in milliseconds.
constexpr double kMillisecondsBelow = 1.0;
// The least span a zoom reaches: a few samples across the plot.
constexpr double kLeastSamplesShown = 8;

// Seconds on the axis, read in milliseconds when the view is short: 12,5 мс, not 0,0125 с.
class TimeTicker : public QCPAxisTicker {
public:
    bool milliseconds = false;

protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar format, int precision) override {
        return QCPAxisTicker::getTickLabel(milliseconds ? tick * 1000 : tick, locale, format,
                                           precision);
    }
};

} // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
    setObjectName("waveformView");
    setAccessibleName("Сигнал");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    levels_ = new QLabel(this);
    levels_->setObjectName("levelsLabel");
    levels_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    levels_->setAccessibleName("Уровни сигнала");
    column->addWidget(levels_);
    setUpPlot();
    column->addWidget(plot_, 1);
    column->addLayout(controlsRow());
    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &WaveformView::rangeChanged);
    connect(interaction_, &PlotInteraction::hovered, this, &WaveformView::hovered);
    connect(interaction_, &PlotInteraction::clicked, this, &WaveformView::placeCursor);
    connect(interaction_, &PlotInteraction::menuRequested, this, [this] { clearCursors(); });
    showRecord(nullptr, nullptr, {});
}

void WaveformView::setUpPlot() {
    plot_ = new QCustomPlot(this);
    plot_->setObjectName("waveformPlot");
    plot_->setAccessibleName("Сигнал во времени");
    plot_->setFocusPolicy(Qt::ClickFocus);
    plot_->setBackground(Qt::white);
    plot_->setNotAntialiasedElements(QCP::aeAll); // a column's stroke is one pixel wide
    trace_ = plot_->addGraph();
    trace_->setPen(QPen(QColor(20, 60, 140)));
    trace_->setAdaptiveSampling(false); // the columns are summarised already
    // On an axis of its own: a band holds a small share of the record, and its shape is
    // what the eye compares with the impacts.
    envelopeGraph_ = plot_->addGraph(plot_->xAxis, plot_->yAxis2);
    envelopeGraph_->setPen(QPen(QColor(230, 120, 0), 1.5));
    envelopeGraph_->setAdaptiveSampling(false);
    marks_ = plot_->addGraph();
    marks_->setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
    plot_->xAxis->setTicker(QSharedPointer<TimeTicker>::create());
    plot_->xAxis->setLabel("Время, с");
    interaction_ = new PlotInteraction(plot_);
    interaction_->setBandDragAllowed(false);
    plot_->setToolTip("Щелчок: курсор Δt (второй щелчок — второй курсор); колесо: масштаб; "
                      "перетаскивание: сдвиг; Home: весь сигнал; правая кнопка: убрать курсоры");
    plot_->installEventFilter(this);
}

// Under the plot: the cursors' read-out, the envelope's and the periodic cursor's switches.
QHBoxLayout* WaveformView::controlsRow() {
    auto* row = new QHBoxLayout;
    period_ = new QLabel(this);
    period_->setObjectName("periodLabel");
    period_->setAccessibleName("Курсор Δt");
    period_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    periodicBox_ = new QCheckBox("Периодический курсор", this);
    periodicBox_->setObjectName("periodicBox");
    periodicBox_->setToolTip("Отметить каждый период Δt от первого курсора");
    envelopeBox_ = new QCheckBox("Огибающая", this);
    envelopeBox_->setObjectName("waveformEnvelopeBox");
    envelopeBox_->setToolTip("Огибающая полосы спектра огибающей (или самой импульсной) поверх "
                             "сигнала: удары и их повторение");
    auto* all = new QPushButton("Весь сигнал", this);
    all->setObjectName("wholeWaveformButton");
    all->setToolTip("Показать запись целиком (Home)");
    row->addWidget(period_, 1);
    row->addWidget(envelopeBox_);
    row->addWidget(periodicBox_);
    row->addWidget(all);
    connect(periodicBox_, &QCheckBox::toggled, this, &WaveformView::setPeriodic);
    connect(envelopeBox_, &QCheckBox::toggled, this, [this](bool on) {
        redraw();
        Q_EMIT envelopeWanted(on);
    });
    connect(all, &QPushButton::clicked, this, &WaveformView::showAll);
    return row;
}

void WaveformView::showRecord(std::shared_ptr<const Waveform> record, const RangeExtremes* summary,
                              const Units& units) {
    if (record == record_ && units == units_ && (record_ || !record)) {
        return; // the same record: where the analyst stands in it stays
    }
    first_.reset(), second_.reset();
    envelope_.reset();
    envelopeBox_->setText("Огибающая");
    record_ =
        record && summary && summary->size() == record->samples.size() && !record->samples.empty()
            ? std::move(record)
            : nullptr;
    summary_ = record_ ? summary : nullptr;
    units_ = units;
    plot_->yAxis->setLabel(QString::fromStdString(
        units.unit == Unit::Unknown ? std::string("Амплитуда") : "Амплитуда, " + unitName(units)));
    showAll();
}

void WaveformView::setEnvelope(std::shared_ptr<const TimeEnvelope> envelope) {
    if (envelope == envelope_) {
        return;
    }
    envelope_ = record_ && envelope && envelope->values.size() == record_->samples.size()
                    ? std::move(envelope)
                    : nullptr;
    envelopeBox_->setText(envelope_ ? QString::fromStdString(
                                          "Огибающая " +
                                          std::to_string(std::lround(envelope_->band.low)) + "–" +
                                          std::to_string(std::lround(envelope_->band.high)) + " Гц")
                                    : QString("Огибающая"));
    redraw();
}

bool WaveformView::envelopeAsked() const {
    return envelopeBox_->isChecked();
}

bool WaveformView::envelopeShown() const {
    return envelopeBox_->isChecked() && envelope_ && envelopeGraph_->dataCount() > 0;
}

void WaveformView::setBearing(const std::optional<SearchBases>& bearing) {
    bearing_ = bearing;
    drawCursors();
}

double WaveformView::duration() const {
    return record_ ? double(record_->samples.size()) / record_->sampleRate : 1;
}

void WaveformView::showAll() {
    plot_->xAxis->setRange(0, duration());
    redraw();
}

std::pair<std::size_t, std::size_t> WaveformView::visibleSamples() const {
    const std::size_t n = record_->samples.size();
    const QCPRange r = plot_->xAxis->range();
    const auto at = [&](double t) {
        return static_cast<std::size_t>(
            std::clamp(std::floor(t * record_->sampleRate), 0.0, double(n)));
    };
    const std::size_t from = std::min(at(r.lower), n - 1);
    return {from, std::max(from + 1, std::min(n, at(r.upper) + 1))};
}

// The view stays on the record and no narrower than a few samples.
void WaveformView::rangeChanged() {
    if (redrawing_) {
        return;
    }
    const QCPRange r = plot_->xAxis->range();
    const double least = record_ ? kLeastSamplesShown / record_->sampleRate : 1e-3;
    double lower = r.lower, upper = r.upper;
    if (upper - lower < least) {
        const double middle = (lower + upper) / 2;
        lower = middle - least / 2, upper = middle + least / 2;
    }
    const double span = std::min(upper - lower, duration());
    lower = std::clamp(lower, 0.0, duration() - span);
    redrawing_ = true;
    plot_->xAxis->setRange(lower, lower + span);
    redrawing_ = false;
    redraw();
}

// Each pixel column as the least and greatest sample under it, the samples themselves once
// they are fewer than two a column.
void WaveformView::redraw() {
    auto data = QSharedPointer<QCPGraphDataContainer>::create();
    const QCPRange r = plot_->xAxis->range();
    const bool milliseconds = r.size() < kMillisecondsBelow;
    static_cast<TimeTicker*>(plot_->xAxis->ticker().data())->milliseconds = milliseconds;
    plot_->xAxis->setLabel(milliseconds ? "Время, мс" : "Время, с");
    // Fixed decimals, as many as the ticks' spacing needs: 1012,5 мс, never 1,01E+03.
    const double shown = r.size() * (milliseconds ? 1000 : 1);
    plot_->xAxis->setNumberFormat("f");
    plot_->xAxis->setNumberPrecision(
        std::clamp(int(std::ceil(-std::log10(std::max(shown, 1e-9) / 8))), 0, 6));
    if (record_) {
        const auto [from, to] = visibleSamples();
        const double rate = record_->sampleRate;
        // The plot's width: its axis rectangle is laid out only as it is drawn.
        const auto columns = static_cast<std::size_t>(std::max(1, plot_->width()));
        QVector<QCPGraphData> points;
        if (to - from <= 2 * columns) {
            points.reserve(int(to - from));
            for (std::size_t i = from; i < to; ++i) {
                points.push_back({double(i) / rate, record_->samples[i]});
            }
        } else {
            points.reserve(int(2 * columns));
            const auto extremes = summary_->columns(from, to, columns);
            const double perColumn = double(to - from) / double(columns) / rate;
            for (std::size_t c = 0; c < columns; ++c) {
                const double t = double(from) / rate + (double(c) + 0.5) * perColumn;
                points.push_back({t, extremes[c].first});
                points.push_back({t, extremes[c].second});
            }
        }
        data->set(points, true);
        const auto [low, high] = summary_->over(from, to);
        const double margin = high > low ? 0.05 * (high - low) : std::max(1e-12, std::abs(high));
        plot_->yAxis->setRange(low - margin, high + margin);
    }
    trace_->setData(data);
    drawEnvelope();
    showLevels();
    drawCursors(); // replots
}

// The envelope as the greatest of each column (it is never below zero), or sample by sample.
void WaveformView::drawEnvelope() {
    QVector<QCPGraphData> points;
    if (record_ && envelope_ && envelopeBox_->isChecked()) {
        const auto [from, to] = visibleSamples();
        const double rate = record_->sampleRate;
        const auto columns = static_cast<std::size_t>(std::max(1, plot_->width()));
        if (to - from <= 2 * columns) {
            for (std::size_t i = from; i < to; ++i) {
                points.push_back({double(i) / rate, envelope_->values[i]});
            }
        } else {
            const auto extremes = envelope_->summary.columns(from, to, columns);
            const double perColumn = double(to - from) / double(columns) / rate;
            for (std::size_t c = 0; c < columns; ++c) {
                points.push_back(
                    {double(from) / rate + (double(c) + 0.5) * perColumn, extremes[c].second});
            }
        }
    }
    envelopeGraph_->data()->set(points, true);
    const bool shown = !points.isEmpty();
    plot_->yAxis2->setVisible(shown);
    if (shown) {
        const auto [from, to] = visibleSamples();
        const double high = envelope_->summary.over(from, to).second;
        plot_->yAxis2->setRange(0, high > 0 ? 1.05 * high : 1);
        const std::string unit = unitName(units_);
        plot_->yAxis2->setLabel(
            QString::fromStdString("Огибающая " + std::to_string(std::lround(envelope_->band.low)) +
                                   "–" + std::to_string(std::lround(envelope_->band.high)) + " Гц" +
                                   (unit.empty() ? "" : ", " + unit)));
        plot_->yAxis2->setLabelColor(envelopeGraph_->pen().color());
    }
}

void WaveformView::showLevels() {
    if (!record_) {
        levels_->setText("Сигнал показывают для записей; в этом файле спектр");
        return;
    }
    const std::string unit = unitName(units_);
    const auto [from, to] = visibleSamples();
    const double rate = record_->sampleRate;
    const std::string whole =
        "Вся запись: " + orbistan::levelsText(summary_->levels(0, record_->samples.size()), unit);
    const std::string shown = "Показано " + orbistan::significantText(double(from) / rate, 4) +
                              "–" + orbistan::significantText(double(to - 1) / rate, 4) +
                              " с: " + orbistan::levelsText(summary_->levels(from, to), unit);
    levels_->setText(QString::fromStdString(whole + "\n" + shown));
}

void WaveformView::placeCursor(double seconds) {
    if (!record_) {
        return;
    }
    seconds = std::clamp(seconds, 0.0, duration());
    if (!first_ || second_) {
        first_ = seconds, second_.reset();
    } else {
        second_ = seconds;
    }
    drawCursors();
}

void WaveformView::clearCursors() {
    first_.reset(), second_.reset();
    drawCursors();
}

void WaveformView::setPeriodic(bool on) {
    if (periodicBox_->isChecked() != on) {
        periodicBox_->setChecked(on); // comes back here
        return;
    }
    drawCursors();
}

// The cursors as vertical strokes parted by gaps: one graph draws them all.
void WaveformView::drawCursors() {
    periodic_.clear();
    const QCPRange r = plot_->xAxis->range();
    std::vector<double> strokes;
    if (first_) {
        strokes.push_back(*first_);
    }
    if (second_) {
        strokes.push_back(*second_);
    }
    if (first_ && second_ && periodicBox_->isChecked()) {
        periodic_ = periodicMarks(*first_, std::abs(*second_ - *first_), r.lower, r.upper);
        strokes.insert(strokes.end(), periodic_.begin(), periodic_.end());
    }
    std::sort(strokes.begin(), strokes.end());
    QVector<QCPGraphData> points;
    const QCPRange y = plot_->yAxis->range();
    const double gap = std::numeric_limits<double>::quiet_NaN();
    for (const double t : strokes) {
        points.push_back({t, y.lower});
        points.push_back({t, y.upper});
        points.push_back({t, gap});
    }
    marks_->data()->set(points, true);
    QString text;
    if (first_ && second_ && *first_ != *second_) {
        text = QString::fromStdString(periodReadout(readPeriod(*second_ - *first_, bearing_)));
    } else if (first_) {
        text = "Курсор 1: " + QString::fromStdString(orbistan::significantText(*first_, 6)) +
               " с; щёлкните второй удар";
    } else if (record_) {
        text = "Щёлкните удар, затем следующий: Δt и 1/Δt";
    }
    period_->setText(text);
    period_->setAccessibleDescription(text);
    plot_->replot(QCustomPlot::rpQueuedReplot); // once, however many changes come together
}

void WaveformView::hovered(double seconds) {
    if (!record_) {
        return;
    }
    const auto i = static_cast<std::size_t>(std::clamp(std::round(seconds * record_->sampleRate),
                                                       0.0, double(record_->samples.size() - 1)));
    const double value = record_->samples[i];
    const std::string unit = unitName(units_);
    interaction_->showCursor(
        double(i) / record_->sampleRate, value,
        QString::fromStdString(
            "t = " + orbistan::significantText(double(i) / record_->sampleRate, 6) + " с, " +
            orbistan::significantText(value, 4) + (unit.empty() ? "" : " " + unit)));
}

QString WaveformView::levelsText() const {
    return levels_->text();
}

QString WaveformView::periodText() const {
    return period_->text();
}

void WaveformView::keyPressEvent(QKeyEvent* event) {
    const QCPRange r = plot_->xAxis->range();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const double step = r.size() / 10 * (event->key() == Qt::Key_Left ? -1 : 1);
        plot_->xAxis->setRange(r.lower + step, r.upper + step);
        return;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus: {
        const double factor = event->key() == Qt::Key_Minus ? 2 : 0.5;
        const double middle = r.center(), half = r.size() * factor / 2;
        plot_->xAxis->setRange(middle - half, middle + half);
        return;
    }
    case Qt::Key_Home:
        showAll();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool WaveformView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == plot_ && event->type() == QEvent::Resize) {
        redraw(); // the columns follow the plot's width
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orbistan::ui
