// The spectrum window's plot: the spectrum, the defect-frequency markers, the cursor that
// reads and snaps to the peaks, and the click that searches a peak.
#include "ui/TForm16.h"
#include "ui_TForm16.h"

#include "calc/numbers.h"
#include "spectrum/markers.h"
#include "ui/plot.h"
#include "ui/text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

// The cursor snaps to a peak this many pixels away.
constexpr double kSnapPixels = 8;

// Decimal comma, as every number of the program.
QString decimals(double v, int digits) {
    return QString::number(v, 'f', digits).replace('.', ',');
}

QString significant(double v, int digits) {
    return QString::number(v, 'g', digits).replace('.', ',');
}

// Enough decimals to tell neighbouring lines apart, two more than the resolution needs.
int frequencyDecimals(double resolution) {
    if (!(resolution > 0)) {
        return 2;
    }
    return std::clamp(static_cast<int>(std::ceil(-std::log10(resolution / 100))), 0, 6);
}

} // namespace

QColor familyColour(int family) {
    static const QColor kColours[] = {QColor(0, 70, 200),  QColor(0, 140, 60),
                                      QColor(200, 0, 200), QColor(120, 40, 160),
                                      QColor(230, 120, 0), QColor(90, 90, 90)};
    return kColours[family];
}

void TForm16::setUpPlot() {
    QCustomPlot* plot = ui->Chart1;
    plot->setBackground(Qt::white);
    plot->plotLayout()->insertRow(0);
    plot->plotLayout()->addElement(
        0, 0, new QCPTextElement(plot, "Спектр", QFont(plot->font().family(), 10, QFont::Bold)));
    plot->addLayer("markers", plot->layer("grid"), QCustomPlot::limAbove);
    // One red line with ascending X values, nothing plotted yet.
    QCPGraph* series = plot->addGraph();
    series->setPen(QPen(Qt::red));
    series->removeFromLegend();
    plot->xAxis->setRange(0, 1000);
    // The families' legend entries: graphs without data, in the families' colours.
    for (int f = 0; f < kMarkerFamilyCount; ++f) {
        QCPGraph* entry = plot->addGraph();
        const MarkerFamilyInfo& info = markerFamilies()[f];
        entry->setName(
            QString::fromUtf8(info.name.data(), static_cast<int>(info.name.size())) + " — " +
            QString::fromUtf8(info.meaning.data(), static_cast<int>(info.meaning.size())));
        entry->setPen(QPen(familyColour(f), 2));
        entry->removeFromLegend();
    }
    // Each family's lines are one graph of vertical strokes parted by gaps, its harmonics
    // solid and its sidebands dotted: a few graphs draw faster than hundreds of items.
    for (int kind = 0; kind < 2; ++kind) {
        for (int f = 0; f < kMarkerFamilyCount; ++f) {
            QCPGraph* g = plot->addGraph();
            g->setLayer("markers");
            g->removeFromLegend();
            g->setAdaptiveSampling(false);
            g->setAntialiased(false); // vertical strokes fall on whole pixels anyway
            g->setPen(QPen(familyColour(f), kind == 0 ? 1.2 : 1,
                           kind == 0 ? Qt::SolidLine : Qt::DotLine));
            markerGraphs_[static_cast<std::size_t>(kind * kMarkerFamilyCount + f)] = g;
        }
    }
    overlayGraph_ = plot->addGraph();
    overlayGraph_->setLayer("markers");
    overlayGraph_->setPen(QPen(QColor(0, 120, 230), 1));
    overlayGraph_->removeFromLegend();
    plot->legend->setVisible(false);
    plot->legend->setFont(QFont(plot->font().family(), 8));
    plot->legend->setBrush(QColor(255, 255, 255, 220));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->axisRect()->setRangeDrag(Qt::Horizontal);
    plot->axisRect()->setRangeZoom(Qt::Horizontal);
    plot->setMouseTracking(true);

    plot->addLayer("cursor", plot->layer("legend"), QCustomPlot::limAbove);
    cursorLayer_ = plot->layer("cursor");
    cursorLayer_->setMode(QCPLayer::lmBuffered); // the cursor moves without a full redraw
    plot->setCurrentLayer(cursorLayer_);
    cursorLine_ = new QCPItemStraightLine(plot);
    cursorLine_->setPen(QPen(Qt::black, 1, Qt::DashLine));
    cursorDot_ = new QCPItemTracer(plot);
    cursorDot_->setStyle(QCPItemTracer::tsCircle);
    cursorDot_->setSize(8);
    cursorDot_->setPen(QPen(Qt::black, 1.5));
    readout_ = new QCPItemText(plot);
    readout_->position->setType(QCPItemPosition::ptAxisRectRatio);
    readout_->position->setCoords(0.01, 0.01);
    readout_->setPositionAlignment(Qt::AlignTop | Qt::AlignLeft);
    readout_->setTextAlignment(Qt::AlignLeft);
    readout_->setBrush(QColor(255, 255, 230, 230));
    readout_->setPadding(QMargins(4, 2, 4, 2));
    plot->setCurrentLayer("main");
    hideCursor();

    connect(plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &TForm16::rangeChanged);
    connect(plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
        if (e->buttons() == Qt::NoButton) {
            moveCursor(ui->Chart1->xAxis->pixelToCoord(e->position().x()));
        }
    });
    // The right button drags out the band whose envelope is wanted, on the file's spectrum.
    bandRect_ = new QCPItemRect(plot);
    bandRect_->setLayer(cursorLayer_);
    bandRect_->setPen(QPen(QColor(0, 90, 200), 1));
    bandRect_->setBrush(QColor(0, 90, 200, 40));
    bandRect_->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
    bandRect_->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
    bandRect_->setVisible(false);
    plot->setToolTip("Правая кнопка мыши: выделить полосу для спектра огибающей");
    connect(plot, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) {
        pressedAt_ = e->position().toPoint();
        if (e->button() == Qt::RightButton && record_ && !showingEnvelope_) {
            bandFrom_ = ui->Chart1->xAxis->pixelToCoord(e->position().x());
        }
    });
    connect(plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
        if (bandFrom_ && (e->buttons() & Qt::RightButton)) {
            const double to = ui->Chart1->xAxis->pixelToCoord(e->position().x());
            bandRect_->topLeft->setCoords(std::min(*bandFrom_, to), 0);
            bandRect_->bottomRight->setCoords(std::max(*bandFrom_, to), 1);
            bandRect_->setVisible(true);
            cursorLayer_->replot();
        }
    });
    connect(plot, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
        if (e->button() == Qt::RightButton && bandFrom_) {
            const double to = ui->Chart1->xAxis->pixelToCoord(e->position().x());
            const double from = *bandFrom_;
            bandFrom_.reset();
            bandRect_->setVisible(false);
            cursorLayer_->replot();
            if ((e->position().toPoint() - pressedAt_).manhattanLength() >= 4) {
                startEnvelope(Band{std::max(0.0, std::min(from, to)), std::max(from, to)});
            }
            return;
        }
        // A click, not the end of a drag that moved the view.
        if (e->button() == Qt::LeftButton &&
            (e->position().toPoint() - pressedAt_).manhattanLength() < 4 && shown_) {
            chooseAt(snappedFrequency(ui->Chart1->xAxis->pixelToCoord(e->position().x()), nullptr));
        }
    });
    plot->installEventFilter(this);
}

bool TForm16::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Chart1 && event->type() == QEvent::Leave) {
        hideCursor();
    }
    return QWidget::eventFilter(watched, event);
}

void TForm16::showSpectrum(OpenedSpectrum opened, bool keepRange) {
    shown_ = std::move(opened);
    record_ =
        shown_->record ? std::make_shared<const Waveform>(std::move(*shown_->record)) : nullptr;
    shown_->record.reset();
    envelope_.reset();
    const bool envelopeWanted = keepRange && showingEnvelope_ && record_;
    showingEnvelope_ = false;
    const bool waveform = shown_->waveform.has_value();
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->windowBox, ui->linesBox, ui->scalingBox}) {
        w->setEnabled(waveform);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui->envelopeBox, ui->bandLowEdit,
                                                      ui->bandHighEdit, ui->suggestBandButton}) {
        w->setEnabled(record_ != nullptr);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui->refineSpeedButton, ui->velocityBox,
                                                      ui->overlayButton}) {
        w->setEnabled(true);
    }
    {
        const QSignalBlocker keep(ui->envelopeBox);
        ui->envelopeBox->setChecked(false);
    }
    {
        const QSignalBlocker keep(ui->channelBox);
        ui->channelBox->clear();
        const int channels = !shown_->variables.empty() ? static_cast<int>(shown_->variables.size())
                             : waveform                 ? shown_->waveform->channels
                                                        : 1;
        for (int c = 1; c <= channels; ++c) {
            ui->channelBox->addItem(
                shown_->variables.empty()
                    ? QString::number(c)
                    : QString::fromStdString(shown_->variables[static_cast<std::size_t>(c - 1)]));
        }
        ui->channelBox->setCurrentIndex(std::min(shownChannel_, channels - 1));
        ui->channelBox->setEnabled(channels > 1);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui->exportCsvButton, ui->exportPngButton,
                                                      ui->exportPdfButton}) {
        w->setEnabled(true);
    }
    showCurrent(keepRange);
    if (shown_->shaftRpm) {
        // The file states the speed it was recorded at.
        Q_EMIT shaftSpeedChosen(fromCore(formatGeneral(*shown_->shaftRpm / 60)));
    }
    if (envelopeWanted) {
        startEnvelope(envelopeBand_); // the record was transformed anew: so is its envelope
    }
}

void TForm16::showCurrent(bool keepRange) {
    const Spectrum& base = showingEnvelope_ && envelope_ ? *envelope_ : shown_->spectrum;
    displayed_ = ui->velocityBox->isChecked() ? toVelocity(base) : base;
    const Spectrum& s = current();
    extremes_ = RangeExtremes(s.amplitude);
    QCustomPlot* plot = ui->Chart1;
    QVector<double> keys(s.frequency.begin(), s.frequency.end());
    QVector<double> values(s.amplitude.begin(), s.amplitude.end());
    plot->graph(0)->setData(keys, values, true);
    plot->xAxis->setLabel("Частота, Гц");
    plot->yAxis->setLabel(QString::fromStdString(s.amplitudeLabel));
    static_cast<QCPTextElement*>(plot->plotLayout()->element(0, 0))
        ->setText(QString::fromStdString((showingEnvelope_ ? "Спектр огибающей: " : "Спектр: ") +
                                         s.source));
    if (!keepRange) {
        plot->xAxis->setRange(s.frequency.front(), s.frequency.back());
    }
    rangeChanged();
    drawOverlay();
    drawMarkers();
    explainPeaks();
    showEvidence();
}

// The second file's spectrum, under the first and in the same units; not over an envelope.
void TForm16::drawOverlay() {
    QVector<double> keys, values;
    if (overlay_ && shown_ && !showingEnvelope_) {
        const Spectrum s = ui->velocityBox->isChecked() ? toVelocity(*overlay_) : *overlay_;
        keys = QVector<double>(s.frequency.begin(), s.frequency.end());
        values = QVector<double>(s.amplitude.begin(), s.amplitude.end());
        overlayGraph_->setName("Наложен: " + QString::fromStdString(s.source));
        overlayGraph_->addToLegend();
    } else {
        overlayGraph_->removeFromLegend();
    }
    overlayGraph_->setData(keys, values, true);
    ui->Chart1->legend->setVisible(ui->Chart1->legend->itemCount() > 0);
    ui->Chart1->replot();
}

void TForm16::envelopeToggled(bool on) {
    if (!on) {
        showingEnvelope_ = false;
        showCurrent(true);
        return;
    }
    if (envelope_) {
        showingEnvelope_ = true;
        showCurrent(true);
        return;
    }
    const auto low = readNumber(fieldNumberText(toCore(ui->bandLowEdit->text())));
    const auto high = readNumber(fieldNumberText(toCore(ui->bandHighEdit->text())));
    startEnvelope(low && high && *low < *high ? std::optional(Band{*low, *high}) : std::nullopt);
}

void TForm16::bandEdited() {
    const auto low = readNumber(fieldNumberText(toCore(ui->bandLowEdit->text())));
    const auto high = readNumber(fieldNumberText(toCore(ui->bandHighEdit->text())));
    if (low && high && *low < *high &&
        (!envelope_ || *low != envelopeBand_.low || *high != envelopeBand_.high)) {
        startEnvelope(Band{*low, *high});
    }
}

// The value axis spans what is visible of the spectrum.
void TForm16::fitValueAxis() {
    if (!shown_) {
        return;
    }
    const std::vector<double>& f = current().frequency;
    const QCPRange r = ui->Chart1->xAxis->range();
    const auto from = std::lower_bound(f.begin(), f.end(), r.lower) - f.begin();
    const auto to = std::upper_bound(f.begin(), f.end(), r.upper) - f.begin();
    if (from >= to) {
        return;
    }
    const auto [low, high] =
        extremes_.over(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    const double bottom = std::min(0.0, low);
    const double top = high > bottom ? high : bottom + 1;
    ui->Chart1->yAxis->setRange(bottom, top + 0.08 * (top - bottom));
    placeMarkers();
}

void TForm16::bearingChanged() {
    drawMarkers();
    explainPeaks();
}

void TForm16::drawMarkers() {
    QCustomPlot* plot = ui->Chart1;
    const std::optional<SpectrumBearing> bearing = bearingSource_ ? bearingSource_() : std::nullopt;
    bool anyEntry = false;
    for (int f = 0; f < kMarkerFamilyCount; ++f) {
        const bool on = shown_ && bearing && settings_.families[f];
        plot->graph(f + 1)->removeFromLegend();
        if (on) {
            plot->graph(f + 1)->addToLegend();
            anyEntry = true;
        }
    }
    plot->legend->setVisible(anyEntry || plot->legend->hasItemWithPlottable(overlayGraph_));
    for (std::vector<double>& lines : markerFrequencies_) {
        lines.clear();
    }
    if (shown_ && bearing) {
        for (const MarkerLine& line :
             markerLines(bearing->bases, settings_.families, settings_.harmonics,
                         settings_.sidebands, current().frequency.back())) {
            markerFrequencies_[static_cast<std::size_t>((line.sideband != 0) * kMarkerFamilyCount +
                                                        line.family)]
                .push_back(line.frequency);
        }
        for (std::vector<double>& lines : markerFrequencies_) {
            std::sort(lines.begin(), lines.end());
        }
    }
    placeMarkers();
    plot->replot();
}

// The strokes span the value axis as it stands.
void TForm16::placeMarkers() {
    const QCPRange y = ui->Chart1->yAxis->range();
    for (std::size_t g = 0; g < markerGraphs_.size(); ++g) {
        QVector<double> keys, values;
        for (double f : markerFrequencies_[g]) {
            keys << f << f << f;
            values << y.lower << y.upper << std::numeric_limits<double>::quiet_NaN();
        }
        markerGraphs_[g]->setData(keys, values, true);
    }
}

int TForm16::markerLineCount() const {
    int count = 0;
    for (const std::vector<double>& lines : markerFrequencies_) {
        count += static_cast<int>(lines.size());
    }
    return count;
}

// ---- Cursor and click ---------------------------------------------------------------------

double TForm16::snappedFrequency(double frequency, double* amplitude) const {
    const Spectrum& s = current();
    const QCPAxis* x = ui->Chart1->xAxis;
    const double reach = kSnapPixels * x->range().size() / std::max(1, x->axisRect()->width());
    const std::size_t line = snapToPeak(s, frequency, reach);
    if (amplitude) {
        *amplitude = s.amplitude[line];
    }
    return refinedFrequency(s, line);
}

void TForm16::moveCursor(double frequency) {
    if (!shown_) {
        return;
    }
    double amplitude = 0;
    const double f = snappedFrequency(frequency, &amplitude);
    cursorLine_->point1->setCoords(f, 0);
    cursorLine_->point2->setCoords(f, 1);
    cursorDot_->position->setCoords(f, amplitude);
    const int digits = frequencyDecimals(current().resolution);
    QString text =
        decimals(f, digits) + " Гц   " + decimals(f * 60, std::max(0, digits - 1)) + " CPM";
    const std::optional<SpectrumBearing> bearing = bearingSource_ ? bearingSource_() : std::nullopt;
    if (bearing && bearing->bases.Fr > 0) {
        text += "   " + decimals(f / bearing->bases.Fr, 3) + " × Fr";
    }
    text += "   A = " + significant(amplitude, 4);
    readout_->setText(text);
    for (QCPAbstractItem* item :
         {static_cast<QCPAbstractItem*>(cursorLine_), static_cast<QCPAbstractItem*>(cursorDot_),
          static_cast<QCPAbstractItem*>(readout_)}) {
        item->setVisible(true);
    }
    cursorLayer_->replot();
}

void TForm16::hideCursor() {
    cursorLine_->setVisible(false);
    cursorDot_->setVisible(false);
    readout_->setVisible(false);
    cursorLayer_->replot();
}

void TForm16::chooseAt(double frequency) {
    if (!shown_) {
        return;
    }
    const int digits = frequencyDecimals(current().resolution);
    const double scale = std::pow(10.0, digits);
    Q_EMIT peakChosen(fromCore(formatGeneral(std::round(frequency * scale) / scale)));
}

} // namespace orbistan::ui
