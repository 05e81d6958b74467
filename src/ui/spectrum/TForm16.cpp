// The spectrum window's frame: its controls bound to the document, its tasks started on the
// runner and what they change applied.
#include "ui/spectrum/TForm16.h"
#include "ui/spectrum/choosers.h"
#include "ui/spectrum/task_runner.h"
#include "ui/spectrum/waveform_view.h"
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
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace orbistan::ui {

namespace {

// The graph of the spectrum a task prepared, made on the worker at the axis's scale then.
struct PreparedGraph {
    QSharedPointer<QCPGraphDataContainer> graph;
    AmplitudeScale scale = AmplitudeScale::Linear;
};

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

// The analysis row's choices: the fixed ones of the numeric choosers, the tables' words.
void TForm16::fillAnalysisChoosers() {
    fillChooser(*ui->windowBox, kWindowTerms);
    for (int lines : kLineChoices) {
        ui->linesBox->addItem(QString::number(lines), lines);
    }
    ui->linesBox->addItem("вся запись", 0);
    ui->spanBox->addItem("вся полоса", 0.0);
    for (const int hz : {100, 200, 500, 1000, 2000, 5000, 10000, 20000}) {
        ui->spanBox->addItem(QString::number(hz) + " Гц", static_cast<double>(hz));
    }
    ui->averagesBox->addItem("все", 0);
    for (const int n : {2, 4, 8, 16, 32, 64, 128}) {
        ui->averagesBox->addItem(QString::number(n), n);
    }
    fillChooser(*ui->averagingBox, kAveragingTerms);
    fillChooser(*ui->scalingBox, kScalingTerms);
    fillChooser(*ui->axisBox, kAxisTerms);
    fillChooser(*ui->unitBox, kStatedUnitTerms);
    ui->channelBox->addItem("1");
}

void TForm16::setUpControls() {
    ui->SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    fillAnalysisChoosers();
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
    for (QComboBox* box : {ui->windowBox, ui->linesBox, ui->spanBox, ui->scalingBox, ui->channelBox,
                           ui->axisBox, ui->averagesBox, ui->averagingBox}) {
        connect(box, &QComboBox::activated, this, &TForm16::controlsChanged);
    }
    // «Макс. частота» and «Усреднений» take a typed number as well as their fixed choices.
    for (QComboBox* box : {ui->spanBox, ui->averagesBox}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->lineEdit()->setAccessibleName(box->accessibleName());
    }
    connect(ui->spanBox->lineEdit(), &QLineEdit::returnPressed, this, &TForm16::spanTyped);
    connect(ui->averagesBox->lineEdit(), &QLineEdit::returnPressed, this, &TForm16::averagesTyped);
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
    connect(ui->speedRangeBox, &QDoubleSpinBox::valueChanged, this, &TForm16::controlsChanged);
    connect(bandMapView_, &BandMapView::bandChosen, this,
            [this](Band band) { run(doc_.envelopeTask(band)); });
    connect(ui->overlayButton, &QPushButton::clicked, this, &TForm16::chooseOverlay);
    connect(ui->clearOverlayButton, &QPushButton::clicked, this, &TForm16::clearOverlay);
}

// ---- What the main window gives ------------------------------------------------------------

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

void TForm16::setBearingSource(std::function<std::optional<WorkbenchBearing>()> source) {
    bearingSource_ = std::move(source);
}

void TForm16::refreshBearing() {
    doc_.setBearing(bearingSource_ ? bearingSource_() : std::nullopt);
}

void TForm16::bearingChanged() {
    refreshBearing();
    showWaveform();
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
    // The overlay was compared with the file shown; on another it stays only if wanted.
    if (doc_.overlay() && path != doc_.shownPath()) {
        QMessageBox ask(QMessageBox::Question, windowTitle(),
                        "Наложенный спектр «" + QString::fromStdString(doc_.overlay()->source) +
                            "» оставить на спектре нового файла?",
                        QMessageBox::Yes | QMessageBox::No, this);
        ask.setObjectName("keepOverlayQuestion");
        ask.button(QMessageBox::Yes)->setText("Оставить");
        ask.button(QMessageBox::No)->setText("Убрать");
        ask.setDefaultButton(QMessageBox::No);
        if (showModal(ask) != QMessageBox::Yes) {
            clearOverlay();
        }
    }
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
    const bool anotherFile = change.shown && !change.keepRange;
    if (anotherFile) {
        interaction_->hideCursor(); // before the new data, while only its layer is drawn again
    }
    if (change.shown) {
        refreshBearing();
        showShown(change.keepRange,
                  change.prepared ? prepared : QSharedPointer<QCPGraphDataContainer>());
        if (!anotherFile) {
            showReadingNotice(); // the same file read otherwise: the strip follows
        }
    } else if (change.lines) {
        drawMarkers();
        showPeakTable();
        showEvidence();
    } else if (change.overlay) {
        drawOverlay();
    } else if (change.waveform) {
        showWaveform();
    }
    if (change.controls && doc_.hasSpectrum()) {
        showSettings();
        showControlsOfShown();
    }
    if (anotherFile) {
        startCleanOnAnotherFile();
    }
    if (change.shaftSpeed) {
        shaftSpeedFromFile(*change.shaftSpeed);
    }
    if (change.problem) {
        resuming_ = false;
        showFileProblem(QString::fromStdString(problemText(*change.problem)));
    }
    runWhatFollows(change);
}

// The notice and the cursors were of the last file; a band typed stays while it fits.
void TForm16::startCleanOnAnotherFile() {
    showShaftSpeedNotice(false);
    showReadingNotice();
    clearCursors();
    if (const std::optional<Band> band = typedBand(); band && !doc_.recordHolds(*band)) {
        ui->bandLowEdit->clear();
        ui->bandHighEdit->clear();
    }
}

// What the change asks for next, else the session's, the diagnosis, the time envelope.
void TForm16::runWhatFollows(const WorkbenchChange& change) {
    if (!change.next) {
        resumeSession(change);
    }
    run(change.next);
    runPendingDiagnosis();
    if (!busy() && waveformView_->envelopeAsked()) {
        run(doc_.timeEnvelopeTask()); // of the band shown now, or of the record opened
    }
    makeCoherenceIfLooked(false);
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
        applyChange(doc_.bandTyped(*band));
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

} // namespace orbistan::ui
