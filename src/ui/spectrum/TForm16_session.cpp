// What the spectrum window remembers: its settings, and where the analyst left it: its place on the
// screen, the span shown, the envelope's band and whether the envelope was shown. Saved with the
// settings when the window is closed; the place is taken when it opens, the rest with the first
// file shown after a start.
#include "ui/spectrum/TForm16.h"
#include "ui/spectrum/choosers.h"
#include "ui_TForm16.h"

#include <cmath>

#include "calc/numbers.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"

#include <QGuiApplication>
#include <QScreen>

namespace orbistan::ui {

namespace {
// «Линий» of the envelope: as the diagnosis chooses them for the record's rate.
constexpr int kLinesForTheRate = -1;

// A number chooser's item for `value`: one of its fixed choices, or one typed, put in order
// among them; its first item is the choice of none (0: the whole band, every segment).
int numberItem(QComboBox& box, double value, const QString& unit) {
    if (const int i = box.findData(value); i >= 0) {
        return i;
    }
    if (!(value > 0)) {
        return 0;
    }
    int at = 1;
    while (at < box.count() && box.itemData(at).toDouble() < value) {
        ++at;
    }
    box.insertItem(at, fromCore(formatGeneral(value)) + unit, value);
    return at;
}

// A number typed in the chooser, read as every field is (its unit may be typed too), above 0
// and up to `most` (whole when asked), or the first item's words or 0 for it; anything else
// puts back the choice shown. True when a choice was taken.
bool takeTypedNumber(QComboBox& box, double most, const QString& unit, bool whole) {
    QString typed = box.currentText();
    if (!unit.trimmed().isEmpty()) {
        typed.remove(unit.trimmed());
    }
    typed = typed.trimmed();
    const std::optional<double> value = readNumber(fieldNumberText(toCore(typed)));
    bool taken = true;
    if (typed == box.itemText(0) || (value && *value == 0)) {
        box.setCurrentIndex(0);
    } else if (value && *value > 0 && *value <= most && (!whole || *value == std::floor(*value))) {
        box.setCurrentIndex(numberItem(box, *value, unit));
    } else {
        taken = false;
    }
    box.setEditText(box.itemText(box.currentIndex()));
    return taken;
}
} // namespace

namespace {

// The free area of the screen the place overlaps most; the primary screen's when it
// overlaps none (a screen gone since).
QRect screenAreaFor(const QRect& place) {
    QRect best = QGuiApplication::primaryScreen()->availableGeometry();
    long bestOverlap = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(place);
        const long overlap = static_cast<long>(common.width()) * common.height();
        if (overlap > bestOverlap) {
            best = screen->availableGeometry();
            bestOverlap = overlap;
        }
    }
    return best;
}

// A place brought back onto its screen: no larger than the free area (never below the
// form's own size), moved in so that as much of it as fits lies on it, its top-left first.
QRect broughtOnScreen(const QRect& place, const QRect& area, const QSize& minimum) {
    const QSize size = place.size().boundedTo(area.size()).expandedTo(minimum);
    const auto inside = [](int at, int low, int room) {
        return std::max(low, std::min(at, low + room));
    };
    return {inside(place.x(), area.x(), area.width() - size.width()),
            inside(place.y(), area.y(), area.height() - size.height()), size.width(),
            size.height()};
}

} // namespace

void TForm16::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        placeWindow();
    }
    QWidget::showEvent(event);
}

void TForm16::hideEvent(QHideEvent* event) {
    saveSession();
    QWidget::hideEvent(event);
}

// Where it was left, brought back onto a screen; the first time 1200 × 800, or most of a smaller
// screen, never beyond it, and never below the form's own size.
void TForm16::placeWindow() {
    if (const auto& place = doc_.settings().session.place) {
        const QRect rect((*place)[0], (*place)[1], (*place)[2], (*place)[3]);
        setGeometry(broughtOnScreen(rect, screenAreaFor(rect), minimumSize()));
        return;
    }
    if (const QScreen* screen = this->screen()) {
        const QSize area = screen->availableGeometry().size() * 9 / 10;
        resize(QSize(1200, 800).boundedTo(area).expandedTo(minimumSize()));
        centerOnScreen(*this);
    }
}

void TForm16::showSessionBand() {
    if (const auto& band = doc_.settings().session.band) {
        ui->bandLowEdit->setText(fromCore(formatGeneral((*band)[0])));
        ui->bandHighEdit->setText(fromCore(formatGeneral((*band)[1])));
    }
}

// What was never shown keeps the session it had: a window opened and closed without a file
// forgets neither the span nor the envelope.
void TForm16::saveSession() {
    if (!placed_ || programDir_.empty()) {
        return;
    }
    WorkbenchSession s = doc_.settings().session;
    const QRect place = geometry();
    s.place = {place.x(), place.y(), place.width(), place.height()};
    if (doc_.hasSpectrum() && !resuming_) {
        const QCPRange view = ui->Chart1->xAxis->range();
        s.view = std::array{view.lower, view.upper};
        s.envelope = doc_.showingEnvelope();
    }
    if (const std::optional<Band> band = typedBand()) {
        s.band = std::array{band->low, band->high};
    }
    if (s != doc_.settings().session) {
        doc_.setSession(s);
        saveSettings();
    }
}

// The first file shown after a start: its envelope when the envelope was shown last (of the
// band typed then), then the span shown last, as far as the new spectrum reaches.
void TForm16::resumeSession(const WorkbenchChange& change) {
    if (!resuming_ || !change.shown || !doc_.hasSpectrum()) {
        return;
    }
    const WorkbenchSession& s = doc_.settings().session;
    if (s.envelope && !doc_.showingEnvelope() && doc_.hasRecord()) {
        ui->envelopeBox->setChecked(true); // asks for it; this goes on when it is shown
        return;
    }
    resuming_ = false;
    const Spectrum& shown = *doc_.displayed();
    if (s.view) {
        const double low = std::max((*s.view)[0], shown.frequency.front());
        const double high = std::min((*s.view)[1], shown.frequency.back());
        if (low < high) {
            ui->Chart1->xAxis->setRange(low, high); // the bounds follow
            ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
        }
    }
}

// ---- The settings: read at the start, shown on the controls, saved on each change ---------

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
        b4(ui->whitenBox), b5(ui->slipBox), b6(ui->velocityCutBox), b7(ui->speedRangeBox);
    ui->velocityCutBox->setValue(s.velocityLowCut);
    ui->whitenBox->setChecked(s.whiten);
    ui->slipBox->setValue(s.slipPercent);
    ui->speedRangeBox->setValue(s.speed.exact ? 0 : s.speed.rangePercent); // 0: «выкл»
    for (int i = 0; i < kMarkerFamilyCount; ++i) {
        const QSignalBlocker keep(familyBoxes_[i]);
        familyBoxes_[i]->setChecked(s.families[i]);
    }
    ui->harmonicsBox->setValue(s.harmonics);
    ui->sidebandsBox->setValue(s.sidebands);
    ui->peaksBox->setValue(s.peaks);
    showChoice(*ui->windowBox, kWindowTerms, s.transform.window);
    showResolutionChoices();
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
    const int lines = ui->linesBox->currentData().toInt();
    const double span = ui->spanBox->currentData().toDouble();
    if (doc_.showingEnvelope()) {
        s.envelopeLines = lines == kLinesForTheRate ? std::nullopt : std::optional(lines);
        s.envelopeSpan = span;
    } else {
        s.transform.lines = lines;
        s.transform.span = span;
        s.transform.averages = ui->averagesBox->currentData().toInt();
        s.transform.averaging = chosenValue(*ui->averagingBox, kAveragingTerms);
    }
    s.transform.scaling = chosenValue(*ui->scalingBox, kScalingTerms);
    s.whiten = ui->whitenBox->isChecked();
    s.slipPercent = ui->slipBox->value();
    s.speed.exact = ui->speedRangeBox->value() == 0;
    if (!s.speed.exact) {
        s.speed.rangePercent = ui->speedRangeBox->value();
    }
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

// «Линий» and «Макс. частота» are those of the spectrum shown: the envelope's own while it is
// shown, whose lines may also be those the diagnosis chooses for the record's rate.
void TForm16::showResolutionChoices() {
    const WorkbenchSettings& s = doc_.settings();
    const bool envelope = doc_.showingEnvelope();
    ui->analysisGroup->setTitle(envelope ? "Расчёт спектра огибающей" : "Расчёт спектра");
    const QSignalBlocker keepLines(ui->linesBox), keepSpan(ui->spanBox);
    const int forRate = ui->linesBox->findData(kLinesForTheRate);
    if (envelope && forRate < 0) {
        ui->linesBox->insertItem(0, "авто", kLinesForTheRate);
    } else if (!envelope && forRate >= 0) {
        ui->linesBox->removeItem(forRate);
    }
    const int lines = envelope ? s.envelopeLines.value_or(kLinesForTheRate) : s.transform.lines;
    ui->linesBox->setCurrentIndex(ui->linesBox->findData(lines));
    ui->spanBox->setCurrentIndex(
        numberItem(*ui->spanBox, envelope ? s.envelopeSpan : s.transform.span, " Гц"));
    // The envelope's segments are averaged as its diagnosis averages them.
    const QSignalBlocker keepAverages(ui->averagesBox), keepAveraging(ui->averagingBox);
    const TransformSettings averaged{};
    const TransformSettings& shown = envelope ? averaged : s.transform;
    ui->averagesBox->setCurrentIndex(numberItem(*ui->averagesBox, shown.averages, ""));
    showChoice(*ui->averagingBox, kAveragingTerms, shown.averaging);
    for (QWidget* w :
         {static_cast<QWidget*>(ui->averagesBox), static_cast<QWidget*>(ui->averagingBox)}) {
        w->setEnabled(doc_.hasRecord() && !envelope);
    }
    ui->linesBox->setToolTip(envelope ? "Число линий спектра огибающей; «авто» — как для "
                                        "диагноза: около 1,5 Гц между линиями"
                                      : "Число линий спектра; сегменты записи усредняются с "
                                        "перекрытием");
    ui->spanBox->setToolTip(
        envelope ? "Верхняя частота спектра огибающей; «вся полоса» — сколько охватывает "
                   "огибающая полосы"
                 : "Верхняя частота спектра: запись фильтруется и прореживается до неё, и линии "
                   "становятся тем чаще, чем уже полоса");
}

// «Макс. частота» typed: a number of hertz (the unit may be typed too).
void TForm16::spanTyped() {
    if (takeTypedNumber(*ui->spanBox, kMaxSampleRate, " Гц", false)) {
        controlsChanged();
    }
}

// «Усреднений» typed: a whole number of segments.
void TForm16::averagesTyped() {
    if (takeTypedNumber(*ui->averagesBox, kMaxAverages, "", true)) {
        controlsChanged();
    }
}

} // namespace orbistan::ui
