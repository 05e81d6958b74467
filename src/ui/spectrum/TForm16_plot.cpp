// The spectrum window's plot: the spectrum, the defect-frequency markers, the cursor that
// reads and snaps to the peaks, and the click that searches a peak.
#include "ui/spectrum/TForm16.h"

#include "ui/spectrum/choosers.h"
#include "ui/spectrum/series_view.h"

#include "calc/numbers.h"
#include "spectrum/dsp/difference.h"
#include "ui/kit/text.h"
#include "ui/spectrum/waterfall_view.h"
#include "ui_TForm16.h"

#include "ui/spectrum/band_map_view.h"
#include "ui/spectrum/coherence_view.h"
#include "ui/spectrum/plot_interaction.h"
#include "ui/spectrum/waveform_view.h"

#include <QTabBar>

#include "calc/numbers.h"
#include "spectrum/diagnosis/markers.h"
#include "ui/kit/text.h"
#include "ui/plot/plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

// The cursor snaps to a peak this many pixels away.
constexpr double kSnapPixels = 8;

// The least and greatest amplitude of the lines within the range, if any lie there.
std::optional<std::pair<double, double>> visibleExtremes(const Spectrum& s, const QCPRange& r) {
    const auto from = std::lower_bound(s.frequency.begin(), s.frequency.end(), r.lower);
    const auto to = std::upper_bound(from, s.frequency.end(), r.upper);
    if (from >= to) {
        return std::nullopt;
    }
    const auto [low, high] = std::minmax_element(s.amplitude.begin() + (from - s.frequency.begin()),
                                                 s.amplitude.begin() + (to - s.frequency.begin()));
    return std::pair{*low, *high};
}

QCPRange axisRange(double least, double greatest, AmplitudeScale scale) {
    const auto [bottom, top] = valueAxisOnScale(least, greatest, scale);
    return QCPRange(bottom, top);
}

// A value axis in the scale's kind: logarithmic ticks for the logarithmic scale.
void setAxisScale(QCPAxis& axis, AmplitudeScale scale) {
    const bool log = scale == AmplitudeScale::Logarithmic;
    if ((axis.scaleType() == QCPAxis::stLogarithmic) != log) {
        axis.setScaleType(log ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
        axis.setTicker(log ? QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog)
                           : QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
    }
}

} // namespace

void TForm16::setUpPlot() {
    QCustomPlot* plot = ui->Chart1;
    plot->setFocusPolicy(Qt::ClickFocus); // for the cursor's keys
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
    setUpMarkerGraphs();
    overlayGraph_ = plot->addGraph();
    overlayGraph_->setLayer("markers");
    overlayGraph_->setPen(QPen(QColor(0, 150, 170), 1)); // teal: no family's colour
    plot->yAxis2->setTickLabels(true);
    overlayGraph_->removeFromLegend();
    risenText_ = new QCPItemText(plot);
    risenText_->setObjectName("risenText");
    risenText_->setLayer("labels");
    risenText_->position->setType(QCPItemPosition::ptAxisRectRatio);
    risenText_->position->setCoords(0.01, 0.02);
    risenText_->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    risenText_->setTextAlignment(Qt::AlignLeft);
    risenText_->setBrush(QColor(255, 255, 255, 225));
    risenText_->setPen(QPen(QColor(0, 150, 170)));
    risenText_->setPadding(QMargins(4, 2, 4, 2));
    risenText_->setVisible(false);
    plot->legend->setVisible(false);
    plot->legend->setFont(QFont(plot->font().family(), 8));
    plot->legend->setBrush(QColor(255, 255, 255, 220));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);

    interaction_ = new PlotInteraction(plot);
    connect(plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &TForm16::rangeChanged);
    connect(interaction_, &PlotInteraction::hovered, this, &TForm16::moveCursor);
    connect(interaction_, &PlotInteraction::clicked, this, &TForm16::plotClicked);
    connect(interaction_, &PlotInteraction::bandChosen, this, &TForm16::bandDragged);
    connect(plot, &QCustomPlot::afterLayout, this, &TForm16::placeEvidencePanel);
    setUpLabels();
    setUpWaveformView();
}

void TForm16::setUpWaveformView() {
    viewTabs_ = new QTabBar(this);
    viewTabs_->setObjectName("viewTabs");
    viewTabs_->setAccessibleName("Вид");
    viewTabs_->setExpanding(false);
    viewTabs_->addTab("Спектр");
    addViewTab("Сигнал", "Запись во времени: удары, их период и уровни сигнала");
    addViewTab("Карта полос", "Полосы записи и то, насколько повторяются удары в каждой: из неё "
                              "выбрана полоса огибающей");
    waveformView_ = new WaveformView(this);
    waveformView_->hide();
    auto* large = new QCustomPlot(this);
    large->setObjectName("bandMapLargePlot");
    large->setAccessibleName("Карта полос");
    large->hide();
    bandMapLarge_ = new BandMapView(large, true);
    connect(bandMapLarge_, &BandMapView::bandChosen, this,
            [this](Band band) { run(doc_.envelopeTask(band)); });
    connect(waveformView_, &WaveformView::envelopeWanted, this, [this](bool on) {
        if (on) {
            run(doc_.timeEnvelopeTask());
        }
    });
    connect(viewTabs_, &QTabBar::currentChanged, this, &TForm16::showView);
    setUpSeries(); // the series' tabs, then the coherence's
    setUpCoherence();
}

// A tab over the plot, off until there is something to show in it.
void TForm16::addViewTab(const QString& name, const QString& toolTip) {
    const int tab = viewTabs_->addTab(name);
    viewTabs_->setTabToolTip(tab, toolTip);
    viewTabs_->setTabEnabled(tab, false);
}

void TForm16::showView(int tab) {
    QWidget* large = findChild<QCustomPlot*>("bandMapLargePlot");
    ui->Chart1->setVisible(tab == 0);
    waveformView_->setVisible(tab == 1);
    large->setVisible(tab == 2);
    seriesView_->setVisible(tab == 3);
    waterfallView_->setVisible(tab == 4);
    coherenceView_->setVisible(tab == 5);
    emptyHint_->setVisible(tab == 0 && !doc_.hasSpectrum());
    QWidget* shown[] = {ui->Chart1,  waveformView_->plot(),  large,
                        seriesView_, waterfallView_->plot(), coherenceView_->plot()};
    shown[std::clamp(tab, 0, 5)]->setFocus();
    if (tab == 5) {
        showCoherence();
        makeCoherenceIfLooked(true);
    }
}

// The record shown against time; the spectrum's tab when there is none.
void TForm16::showWaveform() {
    const std::shared_ptr<const Waveform>& record = doc_.record();
    viewTabs_->setTabEnabled(1, record != nullptr);
    if (!record && viewTabs_->currentIndex() == 1) {
        viewTabs_->setCurrentIndex(0);
    }
    waveformView_->showRecord(record, doc_.recordSummary(),
                              record ? withStatedUnit(record->units, doc_.statedUnit()) : Units{});
    waveformView_->setEnvelope(doc_.timeEnvelope());
    const std::optional<WorkbenchBearing>& bearing = doc_.bearing();
    waveformView_->setBearing(bearing ? std::optional(bearing->bases) : std::nullopt);
}

// The families' legend entries (graphs without data, in the families' colours), then each
// family's lines as one graph of vertical strokes parted by gaps, its harmonics solid and
// its sidebands dotted: a few graphs draw faster than hundreds of items.
void TForm16::setUpMarkerGraphs() {
    QCustomPlot* plot = ui->Chart1;
    for (int f = 0; f < kMarkerFamilyCount; ++f) {
        QCPGraph* entry = plot->addGraph();
        const MarkerFamilyInfo& info = markerFamilies()[f];
        entry->setName(utf8Text(info.name) + " — " + utf8Text(info.meaning));
        entry->setPen(QPen(familyColour(f), 2));
        entry->removeFromLegend();
    }
    for (int kind = 0; kind < 3; ++kind) {
        for (int f = 0; f < kMarkerFamilyCount; ++f) {
            QCPGraph* g = plot->addGraph();
            g->setLayer("markers");
            g->removeFromLegend();
            g->setAdaptiveSampling(false);
            g->setAntialiased(false); // vertical strokes fall on whole pixels anyway
            g->setPen(markerPen(f, kind));
            markerGraphs_[static_cast<std::size_t>(kind * kMarkerFamilyCount + f)] = g;
        }
    }
}

// The controls follow what is shown: which transform settings apply, the sources the file
// offers, the envelope's band and switch, velocity and the unit.
void TForm16::showControlsOfShown() {
    const bool record = doc_.hasRecord();
    for (QWidget* w : std::initializer_list<QWidget*>{ui->windowBox, ui->linesBox, ui->spanBox,
                                                      ui->scalingBox}) {
        w->setEnabled(record);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui->envelopeBox, ui->bandLowEdit,
                                                      ui->bandHighEdit, ui->suggestBandButton}) {
        w->setEnabled(record);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui->refineSpeedButton, ui->overlayButton,
                                                      ui->exportCsvButton, ui->exportPngButton,
                                                      ui->exportPdfButton, ui->reportButton}) {
        w->setEnabled(true);
    }
    {
        const QSignalBlocker keep(ui->envelopeBox);
        ui->envelopeBox->setChecked(doc_.showingEnvelope());
    }
    if (doc_.showingEnvelope()) {
        ui->bandLowEdit->setText(fromCore(formatGeneral(std::round(doc_.envelopeBand().low))));
        ui->bandHighEdit->setText(fromCore(formatGeneral(std::round(doc_.envelopeBand().high))));
    }
    ui->clearOverlayButton->setEnabled(doc_.overlay() != nullptr);
    showResolutionChoices();
    ui->resolutionLabel->setText(
        doc_.displayed() ? QString::fromStdString(lineSpacingText(*doc_.displayed())) : QString());
    showSources();
    showUnit();
    showRate();
    const std::optional<Band> chosen =
        doc_.showingEnvelope() ? std::optional(doc_.envelopeBand()) : std::nullopt;
    bandMapView_->show(doc_.bandMap(), chosen);
    bandMapLarge_->show(doc_.bandMap(), chosen);
    viewTabs_->setTabEnabled(2, doc_.bandMap().has_value());
    if (!doc_.bandMap() && viewTabs_->currentIndex() == 2) {
        viewTabs_->setCurrentIndex(0);
    }
    showCoherence();
}

// A recording's rate; one its file does not state is shown as assumed, to be corrected.
void TForm16::showRate() {
    const std::optional<double> rate = doc_.sampleRate();
    ui->rateEdit->setEnabled(rate.has_value());
    ui->rateEdit->setText(rate ? fromCore(formatGeneral(*rate)) : QString());
    const bool assumed = doc_.rateAssumed();
    QFont font = ui->rateEdit->font();
    font.setItalic(assumed);
    ui->rateEdit->setFont(font);
    ui->rateEdit->setStyleSheet(assumed ? "QLineEdit { color: #b04000; }" : QString());
    ui->rateUnitLabel->setText(assumed ? "Гц, принята" : "Гц");
    ui->rateEdit->setToolTip(assumed ? "Файл не указывает частоту дискретизации: принята эта. "
                                       "Введите верную: она запомнится для этого файла."
                                     : "Частота дискретизации записи");
}

// The channels, datasets or variables the file offers; "1" when it offers no choice.
void TForm16::showSources() {
    const FileContents& shown = *doc_.shown();
    const QSignalBlocker keep(ui->channelBox);
    ui->channelBox->clear();
    for (const std::string& source : shown.sources) {
        ui->channelBox->addItem(QString::fromStdString(source));
    }
    if (shown.sources.empty()) {
        ui->channelBox->addItem("1");
    }
    ui->channelBox->setCurrentIndex(shown.sources.empty() ? 0 : shown.source);
    ui->channelBox->setToolTip(ui->channelBox->currentText()); // whole, where the box is narrow
    ui->channelBox->setEnabled(shown.sources.size() > 1);
    static const char* const kCaptions[] = {"Канал", "Канал", "Набор", "Запись"};
    ui->channelLabel->setText(kCaptions[static_cast<int>(shown.sourceKind)]);
}

// The file's own unit, fixed; or the one stated for files of its kind, to be chosen.
void TForm16::showUnit() {
    const QSignalBlocker keep(ui->unitBox), keepVelocity(ui->velocityBox);
    const bool fromFile = doc_.fileStatesUnit();
    const Unit unit = fromFile ? doc_.shown()->spectrum->units.unit : doc_.statedUnit();
    const int index = indexOf(kStatedUnitTerms, unit);
    ui->unitBox->setCurrentIndex(index);
    if (fromFile && index == 0) { // a unit the chooser does not list
        ui->unitBox->setItemText(0,
                                 QString::fromStdString(unitName(doc_.shown()->spectrum->units)));
    } else {
        ui->unitBox->setItemText(0, utf8Text(kStatedUnitTerms.front().label));
    }
    ui->unitBox->setEnabled(!fromFile && !doc_.showingEnvelope());
    ui->velocityBox->setEnabled(doc_.velocityOffered());
    ui->velocityCutBox->setEnabled(doc_.velocityOffered());
    ui->velocityBox->setChecked(doc_.velocity());
}

void TForm16::showShown(bool keepRange, const QSharedPointer<QCPGraphDataContainer>& prepared) {
    const Spectrum* s = doc_.displayed();
    if (!s) {
        return;
    }
    QCustomPlot* plot = ui->Chart1;
    emptyHint_->hide();
    const AmplitudeScale scale = doc_.settings().amplitudeScale;
    plot->graph(0)->setData(prepared ? prepared : graphData(s->frequency, s->amplitude, scale));
    plot->xAxis->setLabel("Частота, Гц");
    setAxisScale(*plot->yAxis, scale);
    setAxisScale(*plot->yAxis2, scale);
    plot->yAxis->setLabel(QString::fromStdString(captionOnScale(s->units, scale)));
    static_cast<QCPTextElement*>(plot->plotLayout()->element(0, 0))
        ->setText(QString::fromStdString((!doc_.showingEnvelope() ? "Спектр: "
                                          : doc_.envelopeMethod() == EnvelopeMethod::Coherence
                                              ? "Усиленный спектр огибающей (когерентность): "
                                              : "Спектр огибающей: ") +
                                         s->source) +
                  seriesPlace());
    interaction_->setBandDragAllowed(doc_.hasRecord() && !doc_.showingEnvelope());
    const QCPRange view = plot->xAxis->range();
    if (!keepRange || view.lower >= s->frequency.back()) {
        // Bounds typed for the last file go: the fields show the new axis, focused or not.
        ui->Edit1->clear();
        ui->Edit2->clear();
        plot->xAxis->setRange(s->frequency.front(), s->frequency.back());
    } else if (view.upper > s->frequency.back()) { // a narrower span: the view narrows with it
        plot->xAxis->setRange(view.lower, s->frequency.back());
    }
    rangeChanged();
    showControlsOfShown();
    showWaveform();
    drawOverlay();
    drawMarkers();
    showPeakTable();
    showEvidence();
    if (doc_.settings().panels == PanelPlace::Beside && sideColumn_->elementCount() == 0) {
        placePanels(); // the first spectrum: the column beside it opens
    }
}

// The second file's spectrum, under the first and in the same units; not over an envelope.
void TForm16::drawOverlay() {
    const Spectrum* s = doc_.overlay();
    const bool drawn = s && doc_.hasSpectrum() && !doc_.showingEnvelope();
    risenText_->setVisible(false);
    if (drawn && showDifference_) {
        drawDifference(*s);
        return;
    }
    const AmplitudeScale scale = doc_.settings().amplitudeScale;
    overlayGraph_->setData(drawn ? graphData(s->frequency, s->amplitude, scale)
                                 : QSharedPointer<QCPGraphDataContainer>::create());
    // In other units than the spectrum's, it gets an axis of its own, on the right.
    const bool ownAxis =
        drawn && amplitudeCaption(s->units) != amplitudeCaption(doc_.displayed()->units);
    const QString caption =
        drawn ? QString::fromStdString(captionOnScale(s->units, scale)) : QString();
    QCustomPlot* plot = ui->Chart1;
    setAxisScale(*plot->yAxis2, scale); // as the spectrum's, the difference's gone
    overlayGraph_->setValueAxis(ownAxis ? plot->yAxis2 : plot->yAxis);
    plot->yAxis2->setVisible(ownAxis);
    plot->yAxis2->setLabel(caption);
    fitValueAxis();
    if (drawn) {
        overlayGraph_->setName("Наложен: " + QString::fromStdString(s->source) +
                               (ownAxis ? " (правая ось)" : ""));
        overlayGraph_->addToLegend();
    } else {
        overlayGraph_->removeFromLegend();
    }
    ui->clearOverlayButton->setEnabled(s != nullptr);
    showLegend();
    ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
}

// The spectrum's rise over the overlay, in dB on the right axis, and the peaks risen past
// the series' alarm level (the trend's «Порог») listed at the plot's top left.
void TForm16::drawDifference(const Spectrum& baseline) {
    const Spectrum& shown = *doc_.displayed();
    const Spectrum d = differenceSpectrum(shown, baseline);
    overlayGraph_->setData(graphData(d.frequency, d.amplitude, AmplitudeScale::Linear));
    QCustomPlot* plot = ui->Chart1;
    overlayGraph_->setValueAxis(plot->yAxis2);
    plot->yAxis2->setVisible(true);
    plot->yAxis2->setScaleType(QCPAxis::stLinear);
    plot->yAxis2->setLabel("Разность с наложенным, дБ");
    risenText_->setVisible(true);
    fitValueAxis();
    overlayGraph_->setName("Разность с «" + QString::fromStdString(baseline.source) +
                           "», дБ (правая ось)");
    overlayGraph_->addToLegend();
    const double alarm = seriesView_->document().alarmRise();
    const std::vector<RisenLine> risen = risenLines(shown, baseline, alarm, 200);
    QStringList lines;
    for (std::size_t i = 0; i < std::min<std::size_t>(risen.size(), 8); ++i) {
        lines << QString("%1 Гц  +%2 дБ")
                     .arg(fromCore(formatGeneral(std::round(risen[i].frequency * 10) / 10)))
                     .arg(fromCore(formatGeneral(std::round(risen[i].decibels * 10) / 10)));
    }
    const QString heading =
        QString("Выросли больше чем на %1 дБ").arg(fromCore(formatGeneral(alarm)));
    risenText_->setText(
        risen.empty()
            ? heading + ": нет"
            : heading +
                  (risen.size() > 8 ? QString(" (%1, первые 8)").arg(risen.size()) : QString()) +
                  ":\n" + lines.join("\n"));
    risenText_->setVisible(true);
    ui->clearOverlayButton->setEnabled(true);
    showLegend();
    plot->replot(QCustomPlot::rpQueuedReplot);
}

QString TForm16::risenText() const {
    return risenText_->visible() ? risenText_->text() : QString();
}

void TForm16::bandDragged(double low, double high) {
    run(doc_.envelopeTask(Band{low, high}));
}

// The value axis spans what is visible of the spectrum.
void TForm16::fitValueAxis() {
    const QCPRange r = ui->Chart1->xAxis->range();
    const auto visible = doc_.extremesBetween(r.lower, r.upper);
    if (!visible) {
        return;
    }
    auto [low, high] = *visible;
    const AmplitudeScale scale = doc_.settings().amplitudeScale;
    // The overlay is never cut off: on the spectrum's axis it widens it, on its own it sets it.
    const Spectrum* o = doc_.overlay();
    if (risenText_->visible()) { // the difference, in dB on its own axis
        bool found = false;
        const QCPRange seen = overlayGraph_->getValueRange(found, QCP::sdBoth, r);
        if (found) {
            ui->Chart1->yAxis2->setRange(seen.lower - 3, seen.upper + 3);
        }
    } else if (const auto seen =
                   o && overlayGraph_->data()->size() > 0 ? visibleExtremes(*o, r) : std::nullopt) {
        if (overlayGraph_->valueAxis() == ui->Chart1->yAxis2) {
            ui->Chart1->yAxis2->setRange(axisRange(seen->first, seen->second, scale));
        } else {
            low = std::min(low, seen->first);
            high = std::max(high, seen->second);
        }
    }
    ui->Chart1->yAxis->setRange(axisRange(low, high, scale));
    keepLegendOffData();
    placeMarkers();
}

// The legend over the plot stands in the top corner over less data, and the value axis
// reaches high enough that no line under it rises into it.
void TForm16::keepLegendOffData() {
    QCustomPlot* plot = ui->Chart1;
    QCPLegend* legend = plot->legend;
    QCPLayoutInset* inset = plot->axisRect()->insetLayout();
    const int at = inset->elements(false).indexOf(legend);
    if (!legend->visible() || at < 0 || legend->outerRect().height() <= 0) {
        return;
    }
    QCPAxis* x = plot->xAxis;
    QCPAxis* y = plot->yAxis;
    const QRect rect = plot->axisRect()->rect();
    const int width = legend->outerRect().width(), height = legend->outerRect().height();
    const AmplitudeScale scale = doc_.settings().amplitudeScale;
    // The highest line under a corner's room, on the axis's own scale.
    const auto highestUnder = [&](int left) {
        const auto seen =
            doc_.extremesBetween(x->pixelToCoord(left), x->pixelToCoord(left + width));
        return seen ? onScale(seen->second, scale) : y->range().lower;
    };
    const double right = highestUnder(rect.right() - width), leftSide = highestUnder(rect.left());
    const bool toLeft = leftSide < right;
    inset->setInsetAlignment(at, Qt::AlignTop | (toLeft ? Qt::AlignLeft : Qt::AlignRight));
    const double highest = std::min(leftSide, right);
    // The share of the axis the legend takes from the top, and the axis raised to clear it.
    const double share = std::min(0.8, double(height + 6) / std::max(1, rect.height()));
    const QCPRange r = y->range();
    if (y->scaleType() == QCPAxis::stLogarithmic) {
        const double lo = std::log10(r.lower), top = std::log10(std::max(highest, r.lower));
        if (top > lo + (1 - share) * (std::log10(r.upper) - lo)) {
            y->setRangeUpper(std::pow(10.0, lo + (top - lo) / (1 - share)));
        }
    } else if (highest > r.lower + (1 - share) * r.size()) {
        y->setRangeUpper(r.lower + (highest - r.lower) / (1 - share));
    }
}

void TForm16::drawMarkers() {
    QCustomPlot* plot = ui->Chart1;
    for (int f = 0; f < kMarkerFamilyCount; ++f) {
        const bool on = doc_.hasSpectrum() && doc_.bearing() && doc_.settings().families[f];
        plot->graph(f + 1)->removeFromLegend();
        if (on) {
            plot->graph(f + 1)->addToLegend();
        }
    }
    showLegend();
    placeMarkers();
    plot->replot(QCustomPlot::rpQueuedReplot);
}

// The strokes span the value axis as it stands.
void TForm16::placeMarkers() {
    const QCPRange y = ui->Chart1->yAxis->range();
    for (std::size_t g = 0; g < markerGraphs_.size(); ++g) {
        QVector<double> keys, values;
        for (double f : doc_.markers()[g]) {
            keys << f << f << f;
            values << y.lower << y.upper << std::numeric_limits<double>::quiet_NaN();
        }
        markerGraphs_[g]->setData(keys, values, true);
    }
    drawLabels();
}

// ---- Cursor and click ---------------------------------------------------------------------

double TForm16::snappedFrequency(double frequency, double* amplitude) const {
    const Spectrum& s = *doc_.displayed();
    const QCPAxis* x = ui->Chart1->xAxis;
    const double reach = kSnapPixels * x->range().size() / std::max(1, x->axisRect()->width());
    const auto [f, a] = SpectrumCursor::snapped(s, frequency, reach);
    if (amplitude) {
        *amplitude = a;
    }
    return f;
}

void TForm16::moveCursor(double frequency) {
    const Spectrum* s = doc_.displayed();
    if (!s) {
        return;
    }
    double amplitude = 0;
    const double f = snappedFrequency(frequency, &amplitude);
    const int digits = frequencyDecimals(s->resolution);
    QString text =
        decimalText(f, digits) + " Гц   " + decimalText(f * 60, std::max(0, digits - 1)) + " CPM";
    if (doc_.bearing() && doc_.bearing()->bases.Fr > 0) {
        text += "   " + decimalText(f / doc_.bearing()->bases.Fr, 3) + " × Fr";
    }
    const std::string unit = unitName(s->units);
    text += "   A = " + significantText(amplitude) + (unit.empty() ? "" : " " + utf8Text(unit));
    // The marker line it stands on, within the resolution and the slip of its fault's part.
    if (const auto marker =
            nearestMarker(doc_.markerLines(), f, s->resolution, doc_.settings().slipPercent)) {
        text += "   ≈ " + QString::fromStdString(markerName(*marker));
    }
    cursor_.moveTo(f);
    interaction_->showCursor(f, onScale(amplitude, doc_.settings().amplitudeScale), text);
    ui->Chart1->setAccessibleName(plotAccessibleName());
}

void TForm16::stepCursor(int direction) {
    std::vector<double> peaks;
    for (const ExplainedPeak& row : doc_.rows()) {
        peaks.push_back(row.peak.frequency);
    }
    const QCPRange view = ui->Chart1->xAxis->range();
    const std::optional<double> to = cursor_.step(peaks, direction, view.lower, view.upper);
    if (!to) {
        return; // no peak further that way
    }
    if (!view.contains(*to)) { // the view follows the cursor
        ui->Chart1->xAxis->setRange(*to - view.size() / 2, *to + view.size() / 2);
    }
    moveCursor(*to);
    ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
}

void TForm16::zoomAroundCursor(double factor) {
    const QCPRange view = ui->Chart1->xAxis->range();
    const auto [low, high] = cursor_.zoomed(view.lower, view.upper, factor);
    ui->Chart1->xAxis->setRange(low, high);
    ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
}

// A click on the plot chooses the peak it snaps to; on an empty plot, nothing.
void TForm16::plotClicked(double frequency) {
    if (doc_.displayed()) {
        chooseAt(snappedFrequency(frequency, nullptr));
    }
}

void TForm16::chooseAt(double frequency) {
    const Spectrum* s = doc_.displayed();
    if (!s) {
        return;
    }
    const int digits = frequencyDecimals(s->resolution);
    const double scale = std::pow(10.0, digits);
    Q_EMIT peakChosen(fromCore(formatGeneral(std::round(frequency * scale) / scale)));
    // The results came up behind: the spectrum being read stays in front.
    raise();
    activateWindow();
}

} // namespace orbistan::ui
