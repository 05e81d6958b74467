// What the spectrum plot writes on itself: the marker lines' names and the highest peaks'
// frequencies, thinned where they crowd; the harmonic and sideband cursors with what they
// read; the plot's menu; and where the legend and the diagnosis stand.
#include "ui/spectrum/TForm16.h"
#include "ui/spectrum/choosers.h"
#include "ui_TForm16.h"

#include "ui/spectrum/plot_interaction.h"

#include "spectrum/diagnosis/cursors.h"
#include "ui/kit/modal.h"
#include "ui/kit/text.h"
#include "ui/plot/plot.h"
#include "ui/plot/plot_labels.h"

#include <QInputDialog>
#include <QMenu>

#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

// The pool's i-th label, made on the labels' layer when first needed.
QCPItemText* pooled(QCustomPlot* plot, std::vector<QCPItemText*>& pool, std::size_t i) {
    while (pool.size() <= i) {
        auto* label = new QCPItemText(plot);
        label->setLayer("labels");
        label->setFont(labelFont(*plot));
        label->setBrush(QColor(255, 255, 255, 200));
        label->setPadding(QMargins(1, 0, 1, 0));
        label->setClipToAxisRect(true);
        pool.push_back(label);
    }
    pool[i]->setVisible(true);
    return pool[i];
}

// The plot's layout computed as a replot computes it, nothing drawn: what is placed by it
// (the diagnosis panel) is placed now, and the one drawing comes with the next replot
// (two drawings of ten million lines in one pass would hold the window).
void layOutWithoutDrawing(QCustomPlot& plot) {
    plot.plotLayout()->setOuterRect(plot.viewport());
    for (const auto phase : {QCPLayoutElement::upPreparation, QCPLayoutElement::upMargins,
                             QCPLayoutElement::upLayout}) {
        plot.plotLayout()->update(phase);
    }
}

void hideFrom(std::vector<QCPItemText*>& pool, std::size_t from) {
    for (std::size_t i = from; i < pool.size(); ++i) {
        pool[i]->setVisible(false);
    }
}

// The labels that stand after thinning, drawn from the pool.
void drawThinned(QCustomPlot* plot, std::vector<QCPItemText*>& pool,
                 const std::vector<PlotLabel>& labels) {
    std::size_t used = 0;
    for (const std::size_t i : standingLabels(*plot, labels)) {
        showLabel(*pooled(plot, pool, used++), labels[i]);
    }
    hideFrom(pool, used);
}

} // namespace

void TForm16::setUpLabels() {
    QCustomPlot* plot = ui->Chart1;
    plot->addLayer("labels", plot->layer("markers"), QCustomPlot::limAbove);
    cursorGraph_ = plot->addGraph();
    cursorGraph_->setLayer("labels");
    cursorGraph_->removeFromLegend();
    cursorGraph_->setAdaptiveSampling(false);
    cursorGraph_->setPen(QPen(QColor(20, 20, 20), 1, Qt::DashDotLine));
    cursorMarksText_ = new QCPItemText(plot);
    cursorMarksText_->setLayer("labels");
    cursorMarksText_->position->setType(QCPItemPosition::ptAbsolute);
    cursorMarksText_->setClipToAxisRect(false);
    cursorMarksText_->position->setParentAnchor(interaction_->readoutItem()->topLeft);
    cursorMarksText_->position->setCoords(0, -2); // over the cursor's read-out, off the data
    cursorMarksText_->setPositionAlignment(Qt::AlignBottom | Qt::AlignLeft);
    cursorMarksText_->setBrush(QColor(235, 245, 255, 230));
    cursorMarksText_->setPadding(QMargins(4, 2, 4, 2));
    cursorMarksText_->setVisible(false);
    sideColumn_ = new QCPLayoutGrid;
    sideColumn_->setMargins(QMargins(6, 0, 6, 0)); // clear of the axis and of the edge
    panelRoom_ = new QCPLayoutElement(plot);
    connect(interaction_, &PlotInteraction::menuRequested, this, &TForm16::showPlotMenu);
}

// The marker lines in view by name, the harmonics before their sidebands; the highest
// peaks by frequency, the highest first.
void TForm16::drawLabels() {
    const QCPRange view = ui->Chart1->xAxis->range();
    drawThinned(ui->Chart1, markerLabels_, markerNameLabels(doc_, view));
    drawThinned(ui->Chart1, peakLabels_, peakLabels(doc_, view));
    drawCursorMarks();
}

// ---- The harmonic and sideband cursors ----------------------------------------------------

void TForm16::placeHarmonicCursor(double frequency) {
    if (doc_.displayed() && frequency > 0) {
        cursor_.placeHarmonic(snappedFrequency(frequency, nullptr));
        drawCursorMarks();
        ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
    }
}

void TForm16::placeSidebandCursor(double frequency) {
    if (doc_.displayed()) {
        cursor_.placeSideband(snappedFrequency(frequency, nullptr));
        drawCursorMarks();
        ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
    }
}

// The sideband cursor's spacing as the modulation's rate, not a peak's: Fr, Fq or typed.
void TForm16::addSpacingActions(QMenu& menu) {
    const std::optional<WorkbenchBearing>& bearing = doc_.bearing();
    const auto spacing = [&](const QString& name, double hz, const QString& object) {
        QAction* a =
            menu.addAction("Шаг боковых = " + name + " (" + significantText(hz, 5) + " Гц)",
                           [this, hz] { setSidebandSpacing(hz); });
        a->setObjectName(object);
    };
    if (bearing && bearing->bases.Fr > 0) {
        spacing("Fr", bearing->bases.Fr, "spacingFrAction");
    }
    if (bearing && bearing->bases.Fq > 0) {
        spacing("Fq", bearing->bases.Fq, "spacingFqAction");
    }
    menu.addAction("Шаг боковых…", [this] { askSidebandSpacing(); })
        ->setObjectName("spacingTypedAction");
}

void TForm16::setSidebandSpacing(double hz) {
    cursor_.setSpacing(hz);
    drawCursorMarks();
    ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
}

void TForm16::askSidebandSpacing() {
    QInputDialog ask(this);
    ask.setObjectName("sidebandSpacingDialog");
    ask.setWindowTitle(windowTitle());
    ask.setLabelText("Шаг боковых, Гц:");
    ask.setInputMode(QInputDialog::DoubleInput);
    ask.setDoubleDecimals(3);
    ask.setDoubleRange(0.001, doc_.displayed()->frequency.back());
    ask.setDoubleValue(doc_.bearing() ? doc_.bearing()->bases.Fr : 1);
    if (showModal(ask) == QDialog::Accepted) {
        setSidebandSpacing(ask.doubleValue());
    }
}

void TForm16::clearCursors() {
    cursor_.clearMarks();
    drawCursorMarks();
    ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
}

void TForm16::drawCursorMarks() {
    std::string readout;
    const std::vector<CursorMark> marks =
        doc_.displayed() ? cursor_.marks(*doc_.displayed(), &readout) : std::vector<CursorMark>();
    const QCPRange y = ui->Chart1->yAxis->range();
    QVector<double> keys, values;
    std::vector<PlotLabel> names;
    for (const CursorMark& m : marks) {
        keys << m.frequency << m.frequency << m.frequency;
        values << y.lower << y.upper << std::numeric_limits<double>::quiet_NaN();
        names.push_back({m.frequency, std::numeric_limits<double>::quiet_NaN(),
                         QString::fromStdString(m.name), QColor(20, 20, 20), 0});
    }
    cursorGraph_->setData(keys, values, true);
    // The cursor's names stand at the foot of the plot: the markers' names and the read-outs
    // have its head.
    drawThinned(ui->Chart1, cursorLabels_, names);
    for (QCPItemText* label : cursorLabels_) {
        label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        label->position->setCoords(label->position->key(), 1);
    }
    cursorMarksText_->setText(QString::fromStdString(readout));
    cursorMarksText_->setVisible(!readout.empty());
    ui->Chart1->setAccessibleName(plotAccessibleName());
}

// ---- The plot's menu -----------------------------------------------------------------------

void TForm16::showPlotMenu(double frequency, const QPoint& globalPos) {
    if (!doc_.displayed()) {
        return;
    }
    QMenu menu(this);
    menu.setObjectName("plotMenu");
    const auto add = [&menu](const QString& text, const QString& name, auto slot) {
        QAction* a = menu.addAction(text, slot);
        a->setObjectName(name);
        return a;
    };
    add("Гармонический курсор здесь\tH", "harmonicCursorAction",
        [this, frequency] { placeHarmonicCursor(frequency); });
    add(cursor_.awaitingSpacing() ? "Курсор боковых: шаг до этой линии\tB"
                                  : "Курсор боковых: центр здесь\tB",
        "sidebandCursorAction", [this, frequency] { placeSidebandCursor(frequency); });
    if (cursor_.centrePlaced()) {
        addSpacingActions(menu);
    }
    add("Убрать курсоры\tEsc", "clearCursorsAction", [this] {
        clearCursors();
    })->setEnabled(cursor_.marksPlaced());
    addChoiceMenus(menu);
    addDifferenceAction(menu);
    menu.exec(globalPos);
}

void TForm16::addChoiceMenus(QMenu& menu) {
    // A choice of a submenu: checked when it is the setting's, named for the tests.
    const auto choice = [this](QMenu* sub, const QString& text, const QString& name, bool checked,
                               std::function<void()> chosen) {
        QAction* a = sub->addAction(text);
        a->setObjectName(name);
        a->setCheckable(true);
        a->setChecked(checked);
        connect(a, &QAction::triggered, this, std::move(chosen));
    };
    QMenu* labels = menu.addMenu("Подписи пиков");
    for (const int n : {0, 5, 10, 20}) {
        choice(labels, n == 0 ? QString("Без подписей") : QString("%1 самых высоких").arg(n),
               QString("peakLabels%1Action").arg(n), doc_.settings().peakLabels == n,
               [this, n] { setPeakLabels(n); });
    }
    QMenu* panels = menu.addMenu("Легенда и диагноз");
    for (const Term<PanelPlace>& t : kPanelTerms) {
        const PanelPlace place = t.value;
        choice(panels, utf8Text(t.label), QString("panels%1Action").arg(static_cast<int>(place)),
               doc_.settings().panels == place, [this, place] { setPanelPlace(place); });
    }
    QMenu* methods = menu.addMenu("Огибающая для диагноза");
    for (const Term<EnvelopeMethod>& t : kEnvelopeMethodTerms) {
        const EnvelopeMethod method = t.value;
        choice(methods, utf8Text(t.label), QString("method_%1Action").arg(utf8Text(t.key)),
               doc_.settings().method == method, [this, method] { setEnvelopeMethod(method); });
    }
}

// The overlay drawn as the spectrum's difference from it, while one is overlaid.
void TForm16::addDifferenceAction(QMenu& menu) {
    QAction* difference = menu.addAction("Разность с наложенным, дБ");
    difference->setObjectName("differenceAction");
    difference->setCheckable(true);
    difference->setChecked(showDifference_);
    difference->setEnabled(doc_.overlay() != nullptr && !doc_.showingEnvelope());
    connect(difference, &QAction::triggered, this, [this](bool on) {
        showDifference_ = on;
        drawOverlay();
    });
}

void TForm16::setPeakLabels(int count) {
    WorkbenchSettings s = doc_.settings();
    s.peakLabels = count;
    doc_.changeSettings(s, doc_.shown() ? doc_.shown()->source : 0);
    saveSettings();
    drawLabels();
    ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
}

void TForm16::setPanelPlace(PanelPlace place) {
    WorkbenchSettings s = doc_.settings();
    s.panels = place;
    doc_.changeSettings(s, doc_.shown() ? doc_.shown()->source : 0);
    saveSettings();
    placePanels();
}

// ---- The legend and the diagnosis ----------------------------------------------------------

// Over the plot, the legend at the top right and the diagnosis at the bottom right; beside
// it, both in a column of their own that the plot gives up; hidden, neither.
void TForm16::placePanels() {
    QCustomPlot* plot = ui->Chart1;
    const PanelPlace place = doc_.settings().panels;
    QCPLayoutInset* inset = plot->axisRect()->insetLayout();
    // Nothing to stand beside an empty plot: the column comes with the first spectrum.
    const bool beside = place == PanelPlace::Beside && doc_.hasSpectrum();
    const bool inSide = sideColumn_->elementCount() > 0 && sideColumn_->hasElement(0, 0);
    if (beside && !inSide) {
        inset->take(plot->legend);
        inset->simplify();
        sideColumn_->addElement(0, 0, plot->legend);
        sideColumn_->addElement(1, 0, panelRoom_);
        sideColumn_->setRowStretchFactor(0, 0.001);
        plot->plotLayout()->addElement(1, 1, sideColumn_);
        plot->plotLayout()->setColumnStretchFactor(1, 0.001);
    } else if (!beside && inSide) {
        sideColumn_->take(plot->legend);
        sideColumn_->take(panelRoom_);
        sideColumn_->simplify();
        plot->plotLayout()->take(sideColumn_);
        plot->plotLayout()->simplify();
        inset->addElement(plot->legend, Qt::AlignTop | Qt::AlignRight);
    }
    // Beside the plot the diagnosis wraps to the column's width, as wide as the legend needs.
    constexpr int kColumnWidth = 300;
    ui->evidencePanel->setWordWrap(beside);
    if (beside) {
        ui->evidencePanel->setFixedWidth(kColumnWidth - 8);
    } else {
        ui->evidencePanel->setMinimumWidth(0);
        ui->evidencePanel->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    showLegend();
    showEvidence();
    const int width = std::max(kColumnWidth, plot->legend->minimumOuterSizeHint().width());
    sideColumn_->setMinimumSize(beside ? width : 0, 0);
    sideColumn_->setMaximumSize(beside ? width : QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    panelRoom_->setMinimumSize(beside ? ui->evidencePanel->size() + QSize(8, 8) : QSize(0, 0));
    layOutWithoutDrawing(*plot);
    placeEvidencePanel();
    plot->replot(QCustomPlot::rpQueuedReplot);
}

void TForm16::showLegend() {
    QCustomPlot* plot = ui->Chart1;
    bool any = plot->legend->hasItemWithPlottable(overlayGraph_);
    for (int f = 0; f < kMarkerFamilyCount; ++f) {
        any = any || plot->legend->hasItemWithPlottable(plot->graph(f + 1));
    }
    plot->legend->setVisible(any && doc_.settings().panels != PanelPlace::Hidden);
}

void TForm16::placeEvidencePanel() {
    const QRect chart = ui->Chart1->geometry();
    const QSize size = ui->evidencePanel->size();
    if (doc_.settings().panels == PanelPlace::Beside && doc_.hasSpectrum()) {
        const QRect room = panelRoom_->outerRect();
        ui->evidencePanel->move(chart.x() + room.x() + 4, chart.y() + room.y() + 4);
        return;
    }
    const QRect axes = ui->Chart1->axisRect()->rect();
    ui->evidencePanel->move(chart.x() + axes.right() - size.width() - 4,
                            chart.y() + axes.bottom() - size.height() - 4);
}

// What a screen reader says of the plot: its name, the cursor's read-out and the harmonic or
// sideband cursor's.
QString TForm16::plotAccessibleName() const {
    QString name = "Спектр";
    for (const QString& part :
         {interaction_->readout(),
          cursorMarksText_->visible() ? cursorMarksText_->text() : QString()}) {
        if (!part.isEmpty()) {
            name += ". " + part;
        }
    }
    return name;
}

} // namespace orbistan::ui
