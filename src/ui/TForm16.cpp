// The spectrum window's frame: its controls, its settings, opening files off the window's
// thread, and the bounds of the frequency axis.
#include "ui/TForm16.h"
#include "ui_TForm16.h"

#include "calc/numbers.h"
#include "ui/file_dialog.h"
#include "ui/modal.h"
#include "ui/plot.h"
#include "ui/style.h"
#include "ui/text.h"

#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace orbistan::ui {

// One opening of a file: what the worker reads and what it hands back.
struct TForm16::Job {
    std::filesystem::path path;
    int channel = 0;
    TransformSettings transform;
    bool keepRange = false;
    std::string variable; // of a MATLAB file
    bool overlay = false; // to be drawn beside the spectrum shown, not instead of it
    // An envelope's job: the record and its band (the most impulsive one when empty).
    std::shared_ptr<const Waveform> record;
    std::optional<Band> band;
    std::atomic<bool> cancel{false};
    std::atomic<double> progress{0};
    QElapsedTimer started;
    // Written by the worker before it finishes, read by the window after.
    std::optional<OpenedSpectrum> result;
    std::optional<Spectrum> envelope;
    Band usedBand;
    QString error;
};

namespace {

// Work shorter than this shows no progress at all.
constexpr int kProgressDelayMs = 200;

const char* const kFileFilter =
    "Спектры и записи (*.csv *.txt *.tsv *.dat *.asc *.wav *.flac *.ogg *.oga *.aif *.aiff "
    "*.au *.snd *.w64 *.rf64 *.caf);;Все файлы (*)";

} // namespace

TForm16::~TForm16() {
    if (job_) {
        job_->cancel = true;
    }
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
    completeAccessibility(*this);
}

void TForm16::setUpControls() {
    ui->SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ui->windowBox->addItems({"Ханна", "Плоская вершина", "Прямоугольное"});
    for (int lines : kLineChoices) {
        ui->linesBox->addItem(QString::number(lines), lines);
    }
    ui->linesBox->addItem("вся запись", 0);
    ui->scalingBox->addItems({"Пик", "СКЗ"});
    ui->channelBox->addItem("1");
    for (QWidget* w : std::initializer_list<QWidget*>{ui->channelBox, ui->exportCsvButton,
                                                      ui->exportPngButton, ui->exportPdfButton}) {
        w->setEnabled(false);
    }
    // Each family's box shows a stroke of the colour its lines are drawn in.
    for (int i = 0; i < kMarkerFamilyCount; ++i) {
        QPixmap stroke(18, 12);
        stroke.fill(Qt::transparent);
        QPainter painter(&stroke);
        painter.fillRect(0, 5, 18, 3, familyColour(i));
        familyBoxes_[i]->setIcon(QIcon(stroke));
    }
    auto* page = new QVBoxLayout(ui->peaksPage);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(ui->peakTable);
    ui->evidencePanel->setTextFormat(Qt::RichText);
    ui->evidencePanel->setStyleSheet("QLabel { background: rgba(255, 255, 255, 225); border: 1px "
                                     "solid #808080; padding: 3px; }");
    ui->evidencePanel->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->envelopeBox, ui->bandLowEdit, ui->bandHighEdit,
                                         ui->suggestBandButton, ui->refineSpeedButton}) {
        w->setEnabled(false);
    }
    ui->peakTable->setColumnCount(8);
    ui->peakTable->setHorizontalHeaderLabels(
        {"№", "Частота, Гц", "Амплитуда", "Объяснение", "m", "n", "Значение", "Невязка"});
    ui->peakTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->peakTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->peakTable->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->peakTable->verticalHeader()->setVisible(false);
    ui->peakTable->verticalHeader()->setDefaultSectionSize(20);
    ui->peakTable->horizontalHeader()->setSectionResizeMode(7, QHeaderView::Stretch);
    // Eight columns in the window's width: a size smaller, as dense tables are set.
    QFont small = ui->peakTable->font();
    small.setPointSizeF(small.pointSizeF() - 1);
    ui->peakTable->setFont(small);
    ui->peakTable->horizontalHeader()->setFont(small);
    ui->peakTable->horizontalHeader()->setMinimumSectionSize(20);
    const int widths[] = {24, 70, 62, 78, 24, 24, 66};
    for (int c = 0; c < 7; ++c) {
        ui->peakTable->setColumnWidth(c, widths[c]);
    }
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(50);
    applySettingsToControls();
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
    for (QComboBox* box : {ui->windowBox, ui->linesBox, ui->scalingBox, ui->channelBox}) {
        connect(box, &QComboBox::activated, this, &TForm16::controlsChanged);
    }
    connect(ui->envelopeBox, &QCheckBox::toggled, this, &TForm16::envelopeToggled);
    connect(ui->bandLowEdit, &QLineEdit::editingFinished, this, &TForm16::bandEdited);
    connect(ui->bandHighEdit, &QLineEdit::editingFinished, this, &TForm16::bandEdited);
    connect(ui->suggestBandButton, &QPushButton::clicked, this,
            [this] { startEnvelope(std::nullopt); });
    connect(ui->refineSpeedButton, &QPushButton::clicked, this, &TForm16::refineSpeed);
    connect(ui->velocityBox, &QCheckBox::toggled, this, [this] {
        if (shown_) {
            showCurrent(true);
        }
    });
    connect(ui->overlayButton, &QPushButton::clicked, this, &TForm16::chooseOverlay);
    connect(ui->clearOverlayButton, &QPushButton::clicked, this, &TForm16::clearOverlay);
    connect(ui->exportCsvButton, &QPushButton::clicked, this, &TForm16::exportTable);
    connect(ui->exportPngButton, &QPushButton::clicked, this, [this] { exportPlot(false); });
    connect(ui->exportPdfButton, &QPushButton::clicked, this, [this] { exportPlot(true); });
    connect(ui->peakTable, &QTableWidget::cellActivated, this, [this](int row, int) {
        if (row >= 0 && row < static_cast<int>(rows_.size())) {
            chooseAt(rows_[static_cast<std::size_t>(row)].peak.frequency);
        }
    });
}

// ---- Settings -----------------------------------------------------------------------------

void TForm16::setProgramDir(const std::filesystem::path& dir) {
    programDir_ = dir;
    settings_ = loadWorkbenchSettings(dir);
    applySettingsToControls();
}

void TForm16::applySettingsToControls() {
    const QSignalBlocker b1(ui->harmonicsBox), b2(ui->sidebandsBox), b3(ui->peaksBox);
    for (int i = 0; i < kMarkerFamilyCount; ++i) {
        const QSignalBlocker keep(familyBoxes_[i]);
        familyBoxes_[i]->setChecked(settings_.families[i]);
    }
    ui->harmonicsBox->setValue(settings_.harmonics);
    ui->sidebandsBox->setValue(settings_.sidebands);
    ui->peaksBox->setValue(settings_.peaks);
    ui->windowBox->setCurrentIndex(static_cast<int>(settings_.transform.window));
    ui->linesBox->setCurrentIndex(ui->linesBox->findData(settings_.transform.lines));
    ui->scalingBox->setCurrentIndex(static_cast<int>(settings_.transform.scaling));
}

// Any control changed: markers and table follow at once; a waveform is transformed anew
// when its transform changed.
void TForm16::controlsChanged() {
    const WorkbenchSettings before = settings_;
    for (int i = 0; i < kMarkerFamilyCount; ++i) {
        settings_.families[i] = familyBoxes_[i]->isChecked();
    }
    settings_.harmonics = ui->harmonicsBox->value();
    settings_.sidebands = ui->sidebandsBox->value();
    settings_.peaks = ui->peaksBox->value();
    settings_.transform.window = static_cast<WindowKind>(ui->windowBox->currentIndex());
    settings_.transform.lines = ui->linesBox->currentData().toInt();
    settings_.transform.scaling = static_cast<Scaling>(ui->scalingBox->currentIndex());
    const bool channelChanged =
        shown_ && shown_->waveform && ui->channelBox->currentIndex() != shownChannel_;
    if (settings_ == before && !channelChanged) {
        return;
    }
    saveSettings();
    if (shown_ && shown_->waveform && (settings_.transform != before.transform || channelChanged)) {
        startJob(shownPath_, ui->channelBox->currentIndex(), true);
        return;
    }
    drawMarkers();
    if (settings_.peaks != before.peaks || !shown_) {
        explainPeaks();
    }
}

void TForm16::saveSettings() {
    if (!programDir_.empty()) {
        saveWorkbenchSettings(programDir_, settings_); // only preferences: a failure loses little
    }
}

// ---- Opening files ------------------------------------------------------------------------

void TForm16::chooseAndOpen() {
    const QString file = chooseFile(
        this, {false, QString::fromStdString(settings_.folder), kFileFilter, QString(), false});
    if (!file.isEmpty()) {
        openFile(file.toStdString());
    }
}

// The search fields may have changed in the main window meanwhile: the table follows them
// whenever the analyst comes back to it.
void TForm16::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && shown_) {
        explainPeaks();
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
    startJob(path, 0, false);
}

bool TForm16::busy() const {
    return job_ != nullptr;
}

const Spectrum* TForm16::spectrum() const {
    return shown_ ? &current() : nullptr;
}

const Spectrum& TForm16::current() const {
    return *displayed_;
}

void TForm16::chooseOverlay() {
    const QString file = chooseFile(
        this, {false, QString::fromStdString(settings_.folder), kFileFilter, QString(), false});
    if (!file.isEmpty()) {
        startJob(file.toStdString(), 0, true, true);
    }
}

void TForm16::clearOverlay() {
    overlay_.reset();
    ui->clearOverlayButton->setEnabled(false);
    drawOverlay();
}

void TForm16::startJob(const std::filesystem::path& path, int channel, bool keepRange,
                       bool overlay) {
    auto job = std::make_shared<Job>();
    job->path = path;
    job->channel = channel;
    job->overlay = overlay;
    // The chooser lists a MATLAB file's variables where it lists other files' channels.
    if (keepRange && !overlay && shown_ && !shown_->variables.empty() && channel >= 0 &&
        channel < static_cast<int>(shown_->variables.size())) {
        job->variable = shown_->variables[static_cast<std::size_t>(channel)];
        job->channel = 0;
    }
    job->transform = settings_.transform;
    job->keepRange = keepRange;
    runJob(job);
}

void TForm16::startEnvelope(std::optional<Band> band) {
    if (!record_) {
        return;
    }
    auto job = std::make_shared<Job>();
    job->path = shownPath_;
    job->channel = shownChannel_;
    job->transform = shownTransform_;
    job->keepRange = true;
    job->record = record_;
    job->band = band;
    runJob(job);
}

void TForm16::runJob(std::shared_ptr<Job> job) {
    if (job_) {
        job_->cancel = true; // its thread ends on its own; its result is not wanted
    }
    job->started.start();
    job_ = job;
    QThread* thread = QThread::create([job] {
        const Progress progress([&job](double f) { job->progress = f; }, &job->cancel);
        try {
            if (job->record) {
                const Waveform& w = *job->record;
                job->usedBand =
                    job->band ? *job->band : suggestBand(w.samples, w.sampleRate, progress).band;
                job->envelope = envelopeSpectrum(w.samples, w.sampleRate, job->usedBand,
                                                 job->transform, progress);
                job->envelope->source = displayName(job->path);
            } else {
                job->result = openSpectrumFile(job->path, {job->channel, job->variable},
                                               job->transform, progress);
            }
        } catch (const SpectrumFileError& e) {
            job->error = QString::fromStdString(e.what());
        } catch (const SpectrumCancelled&) {
        } catch (const std::bad_alloc&) {
            job->error = QString::fromStdString(fileMessagePrefix(displayName(job->path))) +
                         "не хватает памяти, чтобы его прочесть";
        }
    });
    thread->setParent(this);
    connect(thread, &QThread::finished, this, [this, job, thread] {
        thread->deleteLater();
        if (job == job_) {
            jobFinished();
        }
    });
    thread->start();
    progressTimer_->start();
}

void TForm16::jobFinished() {
    const std::shared_ptr<Job> job = std::move(job_);
    job_.reset();
    progressTimer_->stop();
    ui->progressBar->hide();
    ui->cancelButton->hide();
    if (job->envelope) {
        envelope_ = std::move(job->envelope);
        envelopeBand_ = job->usedBand;
        showingEnvelope_ = true;
        const QSignalBlocker keep(ui->envelopeBox);
        ui->envelopeBox->setChecked(true);
        ui->bandLowEdit->setText(fromCore(formatGeneral(std::round(envelopeBand_.low))));
        ui->bandHighEdit->setText(fromCore(formatGeneral(std::round(envelopeBand_.high))));
        showCurrent(true);
        return;
    }
    if (job->record) {
        // A failed or cancelled envelope leaves what was shown, the switch as it was.
        const QSignalBlocker keep(ui->envelopeBox);
        ui->envelopeBox->setChecked(showingEnvelope_);
        if (!job->error.isEmpty()) {
            showFileProblem(job->error);
        }
        return;
    }
    if (job->result && job->overlay) {
        overlay_ = std::move(job->result->spectrum);
        overlay_->source = displayName(job->path);
        ui->clearOverlayButton->setEnabled(true);
        drawOverlay();
        return;
    }
    if (job->result) {
        shownPath_ = job->path;
        shownChannel_ = job->channel;
        if (!job->result->variables.empty()) {
            const auto& v = job->result->variables;
            shownChannel_ =
                static_cast<int>(std::find(v.begin(), v.end(), job->result->variable) - v.begin());
        }
        shownTransform_ = job->transform;
        const std::string folder = job->path.parent_path().string();
        if (settings_.folder != folder && folder.find_first_of("\r\n") == std::string::npos) {
            settings_.folder = folder;
            saveSettings();
        }
        showSpectrum(std::move(*job->result), job->keepRange);
    } else if (!job->error.isEmpty()) {
        showFileProblem(job->error);
    }
    // A cancelled job leaves the spectrum shown before it, and its controls as they were.
    if (!job->result && shown_) {
        syncControlsToShown();
    }
}

void TForm16::syncControlsToShown() {
    if (shown_->waveform && settings_.transform != shownTransform_) {
        settings_.transform = shownTransform_;
        saveSettings();
    }
    applySettingsToControls();
    ui->channelBox->setCurrentIndex(shownChannel_);
}

void TForm16::showProgress() {
    if (!job_ || job_->started.elapsed() < kProgressDelayMs) {
        return;
    }
    ui->progressBar->setFormat(QString::fromStdString("«" + displayName(job_->path) + "»: %p %"));
    ui->progressBar->setValue(static_cast<int>(100 * job_->progress.load()));
    ui->progressBar->show();
    ui->cancelButton->show();
}

void TForm16::cancelJob() {
    if (job_) {
        job_->cancel = true;
    }
}

void TForm16::showFileProblem(const QString& message) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box.setObjectName("SpectrumFileProblem");
    showModal(box);
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
    if (low && high && *low < *high) {
        ui->Chart1->xAxis->setRange(*low, *high);
        ui->Chart1->replot();
    }
    rangeChanged(); // a bound that does not read goes back to what is shown
}

void TForm16::rangeChanged() {
    const QCPRange r = ui->Chart1->xAxis->range();
    if (!ui->Edit1->hasFocus() || ui->Edit1->text().isEmpty()) {
        ui->Edit1->setText(boundText(r.lower));
    }
    if (!ui->Edit2->hasFocus() || ui->Edit2->text().isEmpty()) {
        ui->Edit2->setText(boundText(r.upper));
    }
    fitValueAxis();
}

void TForm16::showFullRange() {
    if (shown_) {
        const std::vector<double>& f = current().frequency;
        ui->Chart1->xAxis->setRange(f.front(), f.back());
        ui->Chart1->replot();
    }
}

// The plot takes the width and two thirds of the height gained; the peak table the rest.
void TForm16::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize base = minimumSize();
    const int dx = width() - base.width(), dy = height() - base.height();
    const int plotDy = dy * 2 / 3;
    ui->Chart1->setGeometry(4, 4, 821 + dx, 377 + plotDy);
    ui->progressBar->move(200 + dx / 2, 170 + plotDy / 2);
    ui->cancelButton->move(548 + dx / 2, 170 + plotDy / 2);
    ui->SpeedButton1->move(10, 392 + plotDy);
    ui->GroupBox1->move(44, 386 + plotDy);
    ui->analysisGroup->move(380, 386 + plotDy);
    ui->markersGroup->move(4, 466 + plotDy);
    ui->analysisTabs->setGeometry(380, 466 + plotDy, 445 + dx, 102 + dy - plotDy);
    placeEvidencePanel();
}

} // namespace orbistan::ui
