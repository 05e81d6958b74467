// The spectrum window's frame: its controls bound to the document, the jobs that run its
// tasks off the window's thread, and the bounds of the frequency axis.
#include "ui/spectrum/TForm16.h"
#include "ui/spectrum/choosers.h"
#include "ui/spectrum/task_runner.h"
#include "ui_TForm16.h"

#include "ui/spectrum/band_map_view.h"
#include "ui/spectrum/plot_interaction.h"

#include "calc/numbers.h"
#include "ui/kit/file_dialog.h"
#include "ui/kit/modal.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"
#include "ui/plot/plot.h"

#include <QDragEnterEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace orbistan::ui {

// One task on the worker: what it does, and what it hands back.
namespace {

// The graph of the spectrum a task prepared, made on the worker at the axis's scale then.
struct PreparedGraph {
    QSharedPointer<QCPGraphDataContainer> graph;
    AmplitudeScale scale = AmplitudeScale::Linear;
};

} // namespace

namespace {

// Work shorter than this shows no progress at all.
constexpr int kProgressDelayMs = 200;

QString fileFilter() {
    return QString::fromStdString(fileDialogFilter());
}

} // namespace

TForm16::~TForm16() {
    saveSession();
    // Beside the plot, its layout owns the side column; otherwise the window does.
    if (!sideColumn_->layout()) {
        delete sideColumn_;
        delete panelRoom_;
    }
    // A field losing its focus as the children go would reach for the plot and the
    // document, gone.
    for (QLineEdit* edit :
         {ui->Edit1, ui->Edit2, ui->rateEdit, ui->bandLowEdit, ui->bandHighEdit}) {
        disconnect(edit, nullptr, this, nullptr);
    }
    runner_->cancel();
    for (QThread* thread : findChildren<QThread*>()) {
        thread->wait();
    }
}

TForm16::TForm16(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm16>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window);
    setMinimumSize(size());
    familyBoxes_ = {ui->markFo, ui->markFi, ui->markFw, ui->mark2Fw, ui->markFq, ui->markFr};
    setUpPlot();
    setUpControls();
    bindControls();
    bindAnalysis();
    completeAccessibility(*this);
}

void TForm16::setUpControls() {
    ui->SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    fillChooser(*ui->windowBox, kWindowTerms);
    for (int lines : kLineChoices) {
        ui->linesBox->addItem(QString::number(lines), lines);
    }
    ui->linesBox->addItem("вся запись", 0);
    ui->spanBox->addItem("вся полоса", 0.0);
    for (const int hz : {100, 200, 500, 1000, 2000, 5000, 10000, 20000}) {
        ui->spanBox->addItem(QString::number(hz) + " Гц", static_cast<double>(hz));
    }
    fillChooser(*ui->scalingBox, kScalingTerms);
    fillChooser(*ui->axisBox, kAxisTerms);
    fillChooser(*ui->unitBox, kStatedUnitTerms);
    ui->channelBox->addItem("1");
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->channelBox, ui->unitBox, ui->rateEdit, ui->exportCsvButton, ui->exportPngButton,
             ui->exportPdfButton, ui->reportButton, ui->envelopeBox, ui->bandLowEdit,
             ui->bandHighEdit, ui->suggestBandButton, ui->refineSpeedButton, ui->velocityBox,
             ui->overlayButton, ui->clearOverlayButton}) {
        w->setEnabled(false);
    }
    bandMapView_ = new BandMapView(ui->bandMapPlot);
    ui->envelopePage->installEventFilter(this);
    setUpShaftSpeedNotice();
    setUpEmptyHint();
    // Each family's box shows a stroke of the colour its lines are drawn in.
    for (int i = 0; i < kMarkerFamilyCount; ++i) {
        QPixmap stroke(18, 12);
        stroke.fill(Qt::transparent);
        QPainter painter(&stroke);
        painter.fillRect(0, 5, 18, 3, familyColour(i));
        familyBoxes_[i]->setIcon(QIcon(stroke));
    }
    ui->evidencePanel->setTextFormat(Qt::RichText);
    ui->evidencePanel->setStyleSheet("QLabel { background: rgba(255, 255, 255, 225); border: 1px "
                                     "solid #808080; padding: 3px; }");
    ui->evidencePanel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setUpPeakTable();
    runner_ = new TaskRunner(this);
    connect(runner_, &TaskRunner::finished, this, &TForm16::taskFinished);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(50);
    showSettings();
}

void TForm16::setUpPeakTable() {
    // The table over a row of what is done with it: its length, a second file beside it, the
    // exports.
    auto* page = new QVBoxLayout(ui->peaksPage);
    page->setContentsMargins(0, 0, 0, 2);
    page->setSpacing(2);
    page->addWidget(ui->peakTable, 1);
    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(4, 0, 4, 0);
    // Velocity belongs with the spectrum, not with its envelope.
    for (QWidget* w : std::initializer_list<QWidget*>{ui->peaksLabel, ui->peaksBox, ui->velocityBox,
                                                      ui->velocityCutBox}) {
        tools->addWidget(w);
    }
    tools->addStretch(1);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->overlayButton, ui->clearOverlayButton,
                                                      ui->exportCsvButton, ui->exportPngButton,
                                                      ui->exportPdfButton, ui->reportButton}) {
        tools->addWidget(w);
    }
    page->addLayout(tools);
    QTableWidget* table = ui->peakTable;
    table->setColumnCount(8);
    QStringList captions;
    for (const std::string& caption : peakTableCaptions()) {
        captions << QString::fromStdString(caption);
    }
    table->setHorizontalHeaderLabels(captions);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(20);
    table->horizontalHeader()->setSectionResizeMode(7, QHeaderView::Stretch);
    // Eight columns in the window's width: a size smaller, as dense tables are set.
    QFont small = table->font();
    small.setPointSizeF(small.pointSizeF() - 1);
    table->setFont(small);
    table->horizontalHeader()->setFont(small);
    table->horizontalHeader()->setMinimumSectionSize(20);
    const int widths[] = {24, 70, 62, 78, 24, 24, 66};
    for (int c = 0; c < 7; ++c) {
        table->setColumnWidth(c, widths[c]);
    }
}

void TForm16::bindControls() {
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TForm16::chooseAndOpen);
    auto* open = new QShortcut(QKeySequence::Open, this);
    connect(open, &QShortcut::activated, this, &TForm16::chooseAndOpen);
    connect(ui->cancelButton, &QPushButton::clicked, this, &TForm16::cancelJob);
    connect(progressTimer_, &QTimer::timeout, this, &TForm16::showProgress);
    connect(ui->Edit1, &QLineEdit::editingFinished, this, &TForm16::boundsEdited);
    connect(ui->Edit2, &QLineEdit::editingFinished, this, &TForm16::boundsEdited);
    connect(ui->fullRangeButton, &QPushButton::clicked, this, &TForm16::showFullRange);
    for (QCheckBox* box : familyBoxes_) {
        connect(box, &QCheckBox::toggled, this, &TForm16::controlsChanged);
    }
    for (QSpinBox* box : {ui->harmonicsBox, ui->sidebandsBox, ui->peaksBox}) {
        connect(box, &QSpinBox::valueChanged, this, &TForm16::controlsChanged);
    }
    for (QComboBox* box :
         {ui->windowBox, ui->linesBox, ui->spanBox, ui->scalingBox, ui->channelBox, ui->axisBox}) {
        connect(box, &QComboBox::activated, this, &TForm16::controlsChanged);
    }
    auto* nextScale = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(nextScale, &QShortcut::activated, this, [this] {
        ui->axisBox->setCurrentIndex((ui->axisBox->currentIndex() + 1) % ui->axisBox->count());
        controlsChanged();
    });
    connect(ui->unitBox, &QComboBox::activated, this, &TForm16::unitChosen);
    connect(ui->rateEdit, &QLineEdit::editingFinished, this, &TForm16::rateEdited);
    connect(ui->exportCsvButton, &QPushButton::clicked, this, &TForm16::exportTable);
    connect(ui->exportPngButton, &QPushButton::clicked, this, [this] { exportPlot(false); });
    connect(ui->reportButton, &QPushButton::clicked, this, &TForm16::writeReport);
    connect(ui->exportPdfButton, &QPushButton::clicked, this, [this] { exportPlot(true); });
    connect(ui->peakTable, &QTableWidget::cellActivated, this, [this](int row, int) {
        if (row >= 0 && row < static_cast<int>(doc_.rows().size())) {
            chooseAt(doc_.rows()[static_cast<std::size_t>(row)].peak.frequency);
        }
    });
}

void TForm16::bindAnalysis() {
    connect(ui->envelopeBox, &QCheckBox::toggled, this, &TForm16::envelopeToggled);
    connect(ui->bandLowEdit, &QLineEdit::editingFinished, this, &TForm16::bandEdited);
    connect(ui->bandHighEdit, &QLineEdit::editingFinished, this, &TForm16::bandEdited);
    connect(ui->suggestBandButton, &QPushButton::clicked, this,
            [this] { run(doc_.envelopeTask(std::nullopt)); });
    connect(ui->refineSpeedButton, &QPushButton::clicked, this, &TForm16::refineSpeed);
    connect(ui->velocityBox, &QCheckBox::toggled, this, &TForm16::velocityToggled);
    connect(ui->velocityCutBox, &QDoubleSpinBox::valueChanged, this, &TForm16::controlsChanged);
    connect(ui->whitenBox, &QCheckBox::toggled, this, &TForm16::controlsChanged);
    connect(ui->slipBox, &QDoubleSpinBox::valueChanged, this, &TForm16::controlsChanged);
    connect(bandMapView_, &BandMapView::bandChosen, this,
            [this](Band band) { run(doc_.envelopeTask(band)); });
    connect(ui->overlayButton, &QPushButton::clicked, this, &TForm16::chooseOverlay);
    connect(ui->clearOverlayButton, &QPushButton::clicked, this, &TForm16::clearOverlay);
}

// ---- Settings -----------------------------------------------------------------------------

void TForm16::setProgramDir(const std::filesystem::path& dir) {
    programDir_ = dir;
    doc_.changeSettings(loadWorkbenchSettings(dir), 0);
    showSettings();
    showSessionBand();
    placePanels();
}

void TForm16::showSettings() {
    const WorkbenchSettings& s = doc_.settings();
    const QSignalBlocker b1(ui->harmonicsBox), b2(ui->sidebandsBox), b3(ui->peaksBox),
        b4(ui->whitenBox), b5(ui->slipBox), b6(ui->velocityCutBox);
    ui->velocityCutBox->setValue(s.velocityLowCut);
    ui->whitenBox->setChecked(s.whiten);
    ui->slipBox->setValue(s.slipPercent);
    for (int i = 0; i < kMarkerFamilyCount; ++i) {
        const QSignalBlocker keep(familyBoxes_[i]);
        familyBoxes_[i]->setChecked(s.families[i]);
    }
    ui->harmonicsBox->setValue(s.harmonics);
    ui->sidebandsBox->setValue(s.sidebands);
    ui->peaksBox->setValue(s.peaks);
    showChoice(*ui->windowBox, kWindowTerms, s.transform.window);
    ui->linesBox->setCurrentIndex(ui->linesBox->findData(s.transform.lines));
    ui->spanBox->setCurrentIndex(std::max(0, ui->spanBox->findData(s.transform.span)));
    showChoice(*ui->scalingBox, kScalingTerms, s.transform.scaling);
    showChoice(*ui->axisBox, kAxisTerms, s.amplitudeScale);
}

WorkbenchSettings TForm16::settingsFromControls() const {
    WorkbenchSettings s = doc_.settings();
    for (int i = 0; i < kMarkerFamilyCount; ++i) {
        s.families[i] = familyBoxes_[i]->isChecked();
    }
    s.harmonics = ui->harmonicsBox->value();
    s.sidebands = ui->sidebandsBox->value();
    s.peaks = ui->peaksBox->value();
    s.transform.window = chosenValue(*ui->windowBox, kWindowTerms);
    s.transform.lines = ui->linesBox->currentData().toInt();
    s.transform.span = ui->spanBox->currentData().toDouble();
    s.transform.scaling = chosenValue(*ui->scalingBox, kScalingTerms);
    s.whiten = ui->whitenBox->isChecked();
    s.slipPercent = ui->slipBox->value();
    s.amplitudeScale = chosenValue(*ui->axisBox, kAxisTerms);
    s.velocityLowCut = ui->velocityCutBox->value();
    return s;
}

// Any control changed: markers and table follow at once; a record is transformed anew, or
// another source read, when the document asks for it.
void TForm16::controlsChanged() {
    const int source = doc_.shown() ? ui->channelBox->currentIndex() : 0;
    const AmplitudeScale before = doc_.settings().amplitudeScale;
    applyChange(doc_.changeSettings(settingsFromControls(), source));
    if (doc_.settings().amplitudeScale != before) {
        showShown(true); // the same lines on another scale
    }
}

void TForm16::saveSettings() {
    if (!programDir_.empty()) {
        saveWorkbenchSettings(programDir_, doc_.settings()); // preferences: a failure loses little
    }
}

void TForm16::setReportSource(std::function<ReportContext()> source) {
    reportSource_ = std::move(source);
}

void TForm16::onPeakChosen(std::function<void(const QString&)> chosen) {
    connect(this, &TForm16::peakChosen, this, std::move(chosen));
}

void TForm16::onShaftSpeedChosen(std::function<void(const QString&)> chosen) {
    connect(this, &TForm16::shaftSpeedChosen, this, std::move(chosen));
}

void TForm16::setShaftSpeedText(std::function<QString()> text) {
    shaftSpeedText_ = std::move(text);
}

// Over the empty plot, the way to a first file, in words and as a button with a text.
void TForm16::setUpEmptyHint() {
    emptyHint_ = new QFrame(this);
    emptyHint_->setObjectName("emptyHint");
    emptyHint_->setAccessibleName("Как открыть файл");
    emptyHint_->setAccessibleDescription("emptyHint");
    auto* column = new QVBoxLayout(emptyHint_);
    auto* text = new QLabel("Откройте файл: Ctrl+O или перетащите его сюда", emptyHint_);
    text->setObjectName("emptyHintText");
    text->setAccessibleDescription("emptyHintText");
    auto* open = new QPushButton("Открыть файл…", emptyHint_);
    open->setObjectName("emptyOpenButton");
    open->setAccessibleDescription("emptyOpenButton");
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addWidget(open, 0, Qt::AlignHCenter);
    connect(open, &QPushButton::clicked, this, &TForm16::chooseAndOpen);
    emptyHint_->adjustSize();
}

// A line over the plot when a file's speed replaced the one typed, with the way back.
void TForm16::setUpShaftSpeedNotice() {
    shaftSpeedNotice_ = new QFrame(this);
    shaftSpeedNotice_->setObjectName("shaftSpeedNotice");
    shaftSpeedNotice_->setAccessibleName("Частота вращения из файла");
    shaftSpeedNotice_->setAccessibleDescription("shaftSpeedNotice");
    shaftSpeedNotice_->setStyleSheet(
        "#shaftSpeedNotice { background: #fff6d0; border: 1px solid #d0b040; }");
    auto* row = new QHBoxLayout(shaftSpeedNotice_);
    row->setContentsMargins(6, 2, 2, 2);
    shaftSpeedNoticeText_ = new QLabel(shaftSpeedNotice_);
    shaftSpeedUndo_ = new QPushButton("Вернуть", shaftSpeedNotice_);
    shaftSpeedUndo_->setObjectName("shaftSpeedUndoButton");
    shaftSpeedUndo_->setAccessibleDescription("shaftSpeedUndoButton");
    row->addWidget(shaftSpeedNoticeText_);
    row->addWidget(shaftSpeedUndo_);
    shaftSpeedNotice_->hide();
    connect(shaftSpeedUndo_, &QPushButton::clicked, this, [this] {
        showShaftSpeedNotice(false);
        Q_EMIT shaftSpeedChosen(replacedShaftSpeed_);
    });
}

void TForm16::shaftSpeedFromFile(double hz) {
    const QString before = shaftSpeedText_ ? shaftSpeedText_() : QString();
    const QString now = fromCore(formatGeneral(hz));
    Q_EMIT shaftSpeedChosen(now);
    if (before.trimmed().isEmpty() || before == now) {
        return;
    }
    replacedShaftSpeed_ = before;
    shaftSpeedNoticeText_->setText("Fr = " + now + " Гц — из файла «" +
                                   QString::fromStdString(displayName(doc_.shownPath())) +
                                   "» (было " + before + " Гц)");
    shaftSpeedUndo_->setText("Вернуть " + before);
    shaftSpeedNotice_->adjustSize();
    showShaftSpeedNotice(true);
}

// In a strip of its own over the plot, which gives up the room: it covers neither the
// markers' names nor the cursor's read-outs.
void TForm16::showShaftSpeedNotice(bool shown) {
    shaftSpeedNotice_->setVisible(shown);
    layOutPlot();
}

void TForm16::setBearingSource(std::function<std::optional<WorkbenchBearing>()> source) {
    bearingSource_ = std::move(source);
}

void TForm16::refreshBearing() {
    doc_.setBearing(bearingSource_ ? bearingSource_() : std::nullopt);
}

void TForm16::bearingChanged() {
    refreshBearing();
    drawMarkers();
    showPeakTable();
    showEvidence();
    runPendingDiagnosis();
}

// The search fields may have changed in the main window meanwhile: the table follows them
// whenever the analyst comes back to it.
void TForm16::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && doc_.hasSpectrum()) {
        bearingChanged();
    }
}

// ---- Opening files and the jobs -----------------------------------------------------------

void TForm16::chooseAndOpen() {
    const QString file = chooseFile(this, {false, QString::fromStdString(doc_.settings().folder),
                                           fileFilter(), QString(), false});
    if (!file.isEmpty()) {
        openFile(file.toStdString());
    }
}

void TForm16::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void TForm16::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
        openFile(urls.front().toLocalFile().toStdString());
    }
}

void TForm16::openFile(const std::filesystem::path& path) {
    run(doc_.openTask(path));
}

bool TForm16::busy() const {
    return runner_->busy();
}

void TForm16::chooseOverlay() {
    const QString file = chooseFile(this, {false, QString::fromStdString(doc_.settings().folder),
                                           fileFilter(), QString(), false});
    if (!file.isEmpty()) {
        run(doc_.overlayTask(file.toStdString()));
    }
}

void TForm16::clearOverlay() {
    applyChange(doc_.clearOverlay());
}

void TForm16::run(std::optional<WorkbenchTask> task) {
    if (!task) {
        return;
    }
    const AmplitudeScale scale = doc_.settings().amplitudeScale;
    runner_->start(std::move(*task), [scale](const TaskResult& r) -> std::any {
        if (!r.prepared) {
            return {};
        }
        return PreparedGraph{
            graphData(r.prepared->displayed.frequency, r.prepared->displayed.amplitude, scale),
            scale};
    });
    progressTimer_->start();
}

void TForm16::taskFinished(const std::shared_ptr<TaskRunner::Outcome>& outcome) {
    progressTimer_->stop();
    ui->progressBar->hide();
    ui->cancelButton->hide();
    emptyHint_->setVisible(!doc_.hasSpectrum());
    QSharedPointer<QCPGraphDataContainer> graph;
    if (const auto* prepared = std::any_cast<PreparedGraph>(&outcome->finished);
        prepared && prepared->scale == doc_.settings().amplitudeScale) {
        graph = prepared->graph;
    }
    applyChange(doc_.apply(std::move(outcome->result)), graph);
}

// Whatever the document says changed is shown; what it asks for next is started.
void TForm16::applyChange(const WorkbenchChange& change,
                          const QSharedPointer<QCPGraphDataContainer>& prepared) {
    if (change.settings) {
        saveSettings();
    }
    if (change.shown) {
        refreshBearing();
        showShown(change.keepRange,
                  change.prepared ? prepared : QSharedPointer<QCPGraphDataContainer>());
    } else if (change.lines) {
        drawMarkers();
        showPeakTable();
        showEvidence();
    } else if (change.overlay) {
        drawOverlay();
    }
    if (change.controls && doc_.hasSpectrum()) {
        showSettings();
        showControlsOfShown();
    }
    if (change.shown && !change.keepRange) {
        showShaftSpeedNotice(false); // another file: the notice was of the last one
    }
    if (change.shaftSpeed) {
        shaftSpeedFromFile(*change.shaftSpeed);
    }
    if (change.problem) {
        resuming_ = false;
        showFileProblem(QString::fromStdString(problemText(*change.problem)));
    }
    if (!change.next) {
        resumeSession(change);
    }
    run(change.next);
    runPendingDiagnosis();
}

// The record's diagnosis once nothing else is to be done: what the analyst asked for first.
void TForm16::runPendingDiagnosis() {
    if (!busy()) {
        run(doc_.pendingDiagnosis());
    }
}

void TForm16::showProgress() {
    if (!runner_->busy() || runner_->elapsedMs() < kProgressDelayMs) {
        return;
    }
    ui->progressBar->setFormat(
        QString::fromStdString("«" + displayName(runner_->running()->path) + "»: %p %"));
    ui->progressBar->setValue(static_cast<int>(100 * runner_->progress()));
    emptyHint_->hide(); // the progress takes its place
    ui->progressBar->show();
    ui->cancelButton->show();
}

void TForm16::cancelJob() {
    runner_->cancel();
}

void TForm16::showFileProblem(const QString& message) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box.setObjectName("SpectrumFileProblem");
    showModal(box);
}

// ---- Envelope, velocity, unit -------------------------------------------------------------

std::optional<Band> TForm16::typedBand() const {
    const auto low = readNumber(fieldNumberText(toCore(ui->bandLowEdit->text())));
    const auto high = readNumber(fieldNumberText(toCore(ui->bandHighEdit->text())));
    return low && high && *low < *high ? std::optional(Band{*low, *high}) : std::nullopt;
}

void TForm16::envelopeToggled(bool on) {
    applyChange(doc_.showEnvelope(on, typedBand()));
}

void TForm16::bandEdited() {
    if (const std::optional<Band> band = typedBand()) {
        run(doc_.bandTyped(*band));
    }
}

void TForm16::velocityToggled(bool on) {
    applyChange(doc_.setVelocity(on));
}

void TForm16::rateEdited() {
    const auto rate = readNumber(fieldNumberText(toCore(ui->rateEdit->text())));
    if (rate) {
        applyChange(doc_.setRate(*rate));
    }
    showRate(); // a rate that does not read goes back to the one in use
}

void TForm16::unitChosen(int index) {
    if (const std::optional<Unit> unit = valueAt(kStatedUnitTerms, index)) {
        applyChange(doc_.setStatedUnit(*unit));
    }
}

// ---- The frequency axis -------------------------------------------------------------------

namespace {

QString boundText(double v) {
    return fromCore(formatGeneral(std::round(v * 100) / 100));
}

} // namespace

void TForm16::boundsEdited() {
    const auto low = readNumber(fieldNumberText(toCore(ui->Edit1->text())));
    const auto high = readNumber(fieldNumberText(toCore(ui->Edit2->text())));
    ui->Edit1->setModified(false);
    ui->Edit2->setModified(false);
    if (low && high && *low < *high) {
        ui->Chart1->xAxis->setRange(*low, *high);
        ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
    }
    rangeChanged(); // a bound that does not read goes back to what is shown
}

void TForm16::rangeChanged() {
    const QCPRange r = ui->Chart1->xAxis->range();
    if (r.lower < 0) { // no line lies below 0 Hz: the view keeps its span above it
        ui->Chart1->xAxis->setRange(0, r.size()); // which comes back here
        return;
    }
    // A bound being typed is left alone; one entered follows the axis like the other.
    for (auto [edit, value] : {std::pair{ui->Edit1, r.lower}, std::pair{ui->Edit2, r.upper}}) {
        if (!edit->hasFocus() || !edit->isModified() || edit->text().isEmpty()) {
            edit->setText(boundText(value));
        }
    }
    fitValueAxis();
}

void TForm16::showFullRange() {
    if (const Spectrum* s = doc_.displayed()) {
        const std::vector<double>& f = s->frequency;
        ui->Chart1->xAxis->setRange(f.front(), f.back());
        ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
    }
}

// The band map takes what the envelope page gains.
bool TForm16::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->envelopePage && event->type() == QEvent::Resize) {
        const QSize page = ui->envelopePage->size();
        ui->bandMapPlot->setGeometry(250, 0, std::max(40, page.width() - 254),
                                     std::max(40, page.height() - 2));
    }
    return QWidget::eventFilter(watched, event);
}

// The plot takes the width and two thirds of the height gained; the peak table the rest.
void TForm16::keyPressEvent(QKeyEvent* event) {
    if (!doc_.displayed()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Left:
        stepCursor(event->key() == Qt::Key_Right ? 1 : -1);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAroundCursor(0.5);
        break;
    case Qt::Key_Minus:
        zoomAroundCursor(2);
        break;
    case Qt::Key_Home:
        showFullRange();
        break;
    case Qt::Key_H: // the same keys in the Russian layout: Р and И
    case 0x0420:    // Р
        if (cursor_.position()) {
            placeHarmonicCursor(*cursor_.position());
        }
        break;
    case Qt::Key_B:
    case 0x0418: // И
        if (cursor_.position()) {
            placeSidebandCursor(*cursor_.position());
        }
        break;
    case Qt::Key_Escape:
        clearCursors();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

// What a wider window gains goes to the window's chooser, as much as its longest name needs,
// and the rest to the channel's, whose names (MATLAB variables) can be long.
void TForm16::layOutAnalysisRow(int extra) {
    const int windowGain = std::clamp(ui->windowBox->sizeHint().width() - 112, 0, extra);
    ui->windowBox->resize(112 + windowGain, ui->windowBox->height());
    ui->linesLabel->move(172 + windowGain, ui->linesLabel->y());
    ui->linesBox->move(216 + windowGain, ui->linesBox->y());
    ui->channelLabel->move(324 + windowGain, ui->channelLabel->y());
    ui->channelBox->setGeometry(368 + windowGain, ui->channelBox->y(), 68 + extra - windowGain,
                                ui->channelBox->height());
}

// The plot takes the top two thirds of what the window gains, under the shaft-speed
// notice's strip while it shows.
void TForm16::layOutPlot() {
    const QSize base = minimumSize();
    const int dx = width() - base.width(), plotDy = (height() - base.height()) * 2 / 3;
    const int strip = shaftSpeedNotice_->isVisible() ? shaftSpeedNotice_->height() + 4 : 0;
    ui->Chart1->setGeometry(4, 4 + strip, 821 + dx, 351 + plotDy - strip);
    shaftSpeedNotice_->move(4 + (ui->Chart1->width() - shaftSpeedNotice_->width()) / 2, 4);
    placeEvidencePanel();
}

void TForm16::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize base = minimumSize();
    const int dx = width() - base.width(), dy = height() - base.height();
    const int plotDy = dy * 2 / 3;
    layOutPlot();
    ui->progressBar->move(200 + dx / 2, 170 + plotDy / 2);
    ui->cancelButton->move(548 + dx / 2, 170 + plotDy / 2);
    ui->SpeedButton1->move(10, 366 + plotDy);
    ui->GroupBox1->move(44, 360 + plotDy);
    ui->analysisGroup->setGeometry(380, 360 + plotDy, 445 + dx, 102);
    layOutAnalysisRow(dx);
    ui->markersGroup->move(4, 466 + plotDy);
    ui->analysisTabs->setGeometry(380, 466 + plotDy, 445 + dx, 102 + dy - plotDy);

    const QRect chart = ui->Chart1->geometry();
    emptyHint_->move(chart.center() - QPoint(emptyHint_->width() / 2, emptyHint_->height() / 2));
    emptyHint_->setVisible(!doc_.hasSpectrum());
    emptyHint_->raise();
}

} // namespace orbistan::ui
