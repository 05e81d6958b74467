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
    plot->legend->setVisible(false);
    plot->legend->setFont(QFont(plot->font().family(), 8));
    plot->legend->setBrush(QColor(255, 255, 255, 220));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->axisRect()->setRangeDrag(Qt::Horizontal);
    plot->axisRect()->setRangeZoom(Qt::Horizontal);
    plot->setMouseTracking(true);

    plot->addLayer("markers", plot->layer("grid"), QCustomPlot::limAbove);
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
    connect(plot, &QCustomPlot::mousePress, this,
            [this](QMouseEvent* e) { pressedAt_ = e->position().toPoint(); });
    connect(plot, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
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
    const Spectrum& s = shown_->spectrum;
    QCustomPlot* plot = ui->Chart1;
    QVector<double> keys(s.frequency.begin(), s.frequency.end());
    QVector<double> values(s.amplitude.begin(), s.amplitude.end());
    plot->graph(0)->setData(keys, values, true);
    plot->xAxis->setLabel("Частота, Гц");
    plot->yAxis->setLabel(QString::fromStdString(s.amplitudeLabel));
    static_cast<QCPTextElement*>(plot->plotLayout()->element(0, 0))
        ->setText(QString::fromStdString("Спектр: " + s.source));

    const bool waveform = shown_->waveform.has_value();
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->windowBox, ui->linesBox, ui->scalingBox}) {
        w->setEnabled(waveform);
    }
    {
        const QSignalBlocker keep(ui->channelBox);
        ui->channelBox->clear();
        const int channels = waveform ? shown_->waveform->channels : 1;
        for (int c = 1; c <= channels; ++c) {
            ui->channelBox->addItem(QString::number(c));
        }
        ui->channelBox->setCurrentIndex(std::min(shownChannel_, channels - 1));
        ui->channelBox->setEnabled(channels > 1);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui->exportCsvButton, ui->exportPngButton,
                                                      ui->exportPdfButton}) {
        w->setEnabled(true);
    }
    if (!keepRange) {
        plot->xAxis->setRange(s.frequency.front(), s.frequency.back());
    }
    rangeChanged();
    drawMarkers();
    explainPeaks();
}

// The value axis spans what is visible of the spectrum.
void TForm16::fitValueAxis() {
    if (!shown_) {
        return;
    }
    const std::vector<double>& f = shown_->spectrum.frequency;
    const std::vector<double>& a = shown_->spectrum.amplitude;
    const QCPRange r = ui->Chart1->xAxis->range();
    const auto from = std::lower_bound(f.begin(), f.end(), r.lower) - f.begin();
    const auto to = std::upper_bound(f.begin(), f.end(), r.upper) - f.begin();
    if (from >= to) {
        return;
    }
    const auto [low, high] = std::minmax_element(a.begin() + from, a.begin() + to);
    const double bottom = std::min(0.0, *low);
    const double top = *high > bottom ? *high : bottom + 1;
    ui->Chart1->yAxis->setRange(bottom, top + 0.08 * (top - bottom));
}

void TForm16::bearingChanged() {
    drawMarkers();
    explainPeaks();
}

void TForm16::drawMarkers() {
    QCustomPlot* plot = ui->Chart1;
    for (QCPItemStraightLine* item : markerItems_) {
        plot->removeItem(item);
    }
    markerItems_.clear();
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
    plot->legend->setVisible(anyEntry);
    if (shown_ && bearing) {
        const std::vector<MarkerLine> lines =
            markerLines(bearing->bases, settings_.families, settings_.harmonics,
                        settings_.sidebands, shown_->spectrum.frequency.back());
        plot->setCurrentLayer("markers");
        for (const MarkerLine& line : lines) {
            auto* item = new QCPItemStraightLine(plot);
            item->point1->setCoords(line.frequency, 0);
            item->point2->setCoords(line.frequency, 1);
            item->setPen(QPen(familyColour(line.family), line.sideband == 0 ? 1.2 : 1,
                              line.sideband == 0 ? Qt::SolidLine : Qt::DotLine));
            item->setSelectable(false);
            markerItems_.push_back(item);
        }
        plot->setCurrentLayer("main");
    }
    plot->replot();
}

// ---- Cursor and click ---------------------------------------------------------------------

double TForm16::snappedFrequency(double frequency, double* amplitude) const {
    const Spectrum& s = shown_->spectrum;
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
    const int digits = frequencyDecimals(shown_->spectrum.resolution);
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
    const int digits = frequencyDecimals(shown_->spectrum.resolution);
    const double scale = std::pow(10.0, digits);
    Q_EMIT peakChosen(fromCore(formatGeneral(std::round(frequency * scale) / scale)));
}

} // namespace orbistan::ui
