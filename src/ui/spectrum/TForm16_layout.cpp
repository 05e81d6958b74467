// The spectrum window's frame laid out: what a larger window gains shared out among the
// plot, the rows under it and the band map; the strips and hints laid over the plot.
#include "ui/spectrum/TForm16.h"

#include "ui/spectrum/TForm16_geometry.h"
#include "ui/spectrum/coherence_view.h"
#include "ui/spectrum/series_view.h"
#include "ui/spectrum/waterfall_view.h"
#include "ui_TForm16.h"

#include "calc/numbers.h"
#include "spectrum/workbench/report.h"
#include "ui/kit/text.h"
#include "ui/spectrum/waveform_view.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace orbistan::ui {

using namespace form16;

// Over the empty plot, the way to a first file, in words and as a button with a text.
void TForm16::setUpEmptyHint() {
    emptyHint_ = new QFrame(this);
    emptyHint_->setObjectName("emptyHint");
    emptyHint_->setAccessibleName("Как открыть файл");
    auto* column = new QVBoxLayout(emptyHint_);
    auto* text = new QLabel("Откройте файл: Ctrl+O или перетащите его сюда", emptyHint_);
    text->setObjectName("emptyHintText");
    auto* open = new QPushButton("Открыть файл…", emptyHint_);
    open->setObjectName("emptyOpenButton");
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
    shaftSpeedNotice_->setStyleSheet(
        "#shaftSpeedNotice { background: #fff6d0; border: 1px solid #d0b040; }");
    auto* row = new QHBoxLayout(shaftSpeedNotice_);
    row->setContentsMargins(6, 2, 2, 2);
    shaftSpeedNoticeText_ = new QLabel(shaftSpeedNotice_);
    shaftSpeedUndo_ = new QPushButton("Вернуть", shaftSpeedNotice_);
    shaftSpeedUndo_->setObjectName("shaftSpeedUndoButton");
    row->addWidget(shaftSpeedNoticeText_);
    row->addWidget(shaftSpeedUndo_);
    shaftSpeedNotice_->hide();
    connect(shaftSpeedUndo_, &QPushButton::clicked, this, [this] {
        showShaftSpeedNotice(false);
        if (noticeAction_) {
            noticeAction_();
        }
    });
}

// The same strip says how a text file that could be read two ways was read, with the way to
// read it the other.
void TForm16::showReadingNotice() {
    const FileContents* shown = doc_.shown();
    const bool ambiguous = shown && !shown->readAs.empty();
    if (!ambiguous) {
        if (noticeIsReading_) {
            showShaftSpeedNotice(false);
        }
        return;
    }
    noticeIsReading_ = true;
    shaftSpeedNotice_->setAccessibleName("Как прочитан файл");
    shaftSpeedNoticeText_->setText("«" + QString::fromStdString(displayName(doc_.shownPath())) +
                                   "»: " + QString::fromStdString(shown->readAs));
    shaftSpeedUndo_->setText("Читать как запись со временем");
    noticeAction_ = [this] { run(doc_.readTextAs(TextLayout::Timed).next); };
    shaftSpeedNotice_->adjustSize();
    showShaftSpeedNotice(true);
}

void TForm16::shaftSpeedFromFile(double hz) {
    const QString before = shaftSpeedText_ ? shaftSpeedText_() : QString();
    const QString now = fromCore(formatGeneral(hz));
    Q_EMIT shaftSpeedChosen(now);
    if (before.trimmed().isEmpty() || before == now) {
        return;
    }
    replacedShaftSpeed_ = before;
    noticeIsReading_ = false;
    shaftSpeedNotice_->setAccessibleName("Частота вращения из файла");
    noticeAction_ = [this] { Q_EMIT shaftSpeedChosen(replacedShaftSpeed_); };
    // The field takes every digit; the notice says it as the window shows a speed.
    shaftSpeedNoticeText_->setText(
        "Fr = " + QString::fromStdString(shaftSpeedText(hz)) + " — из файла «" +
        QString::fromStdString(displayName(doc_.shownPath())) + "» (было " + before + " Гц)");
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

// The band map takes what the envelope page gains.
bool TForm16::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->envelopePage && event->type() == QEvent::Resize) {
        const QSize page = ui->envelopePage->size();
        ui->bandMapPlot->setGeometry(
            kBandMapLeft, 0,
            std::max(kBandMapLeast, page.width() - kBandMapLeft - kBandMapRightMargin),
            std::max(kBandMapLeast, page.height() - kBandMapBottomMargin));
    }
    return QWidget::eventFilter(watched, event);
}

// What a wider window gains goes to the window's chooser, as much as its longest name needs,
// and the rest to the channel's, whose names (MATLAB variables) can be long.
void TForm16::layOutAnalysisRow(int extra) {
    const int windowGain =
        std::clamp(ui->windowBox->sizeHint().width() - kWindowBoxWidth, 0, extra);
    ui->windowBox->resize(kWindowBoxWidth + windowGain, ui->windowBox->height());
    ui->linesLabel->move(kLinesLabelLeft + windowGain, ui->linesLabel->y());
    ui->linesBox->move(kLinesBoxLeft + windowGain, ui->linesBox->y());
    ui->channelLabel->move(kChannelLabelLeft + windowGain, ui->channelLabel->y());
    ui->channelBox->setGeometry(kChannelBoxLeft + windowGain, ui->channelBox->y(),
                                kChannelBoxWidth + extra - windowGain, ui->channelBox->height());
    // The lines' read-out to the group's edge: it grows with what it says.
    QLabel* spacing = ui->resolutionLabel;
    spacing->resize(ui->analysisGroup->width() - spacing->x() - 8, spacing->height());
    // «Перекрытие» as wide as its word in the font in use, its chooser after it to the edge.
    QLabel* overlap = ui->averagingLabel;
    overlap->resize(overlap->sizeHint().width(), overlap->height());
    const int left = overlap->x() + overlap->width() + 4;
    ui->averagingBox->setGeometry(left, ui->averagingBox->y(),
                                  ui->analysisGroup->width() - left - 8,
                                  ui->averagingBox->height());
}

// The plot takes the top two thirds of what the window gains, under the shaft-speed
// notice's strip while it shows.
void TForm16::layOutPlot() {
    const QSize base = minimumSize();
    const int dx = width() - base.width();
    const int plotDy = (height() - base.height()) * kPlotShareOfHeight / kHeightShares;
    const int strip = shaftSpeedNotice_->isVisible() ? shaftSpeedNotice_->height() + kNoticeGap : 0;
    const int tabs = viewTabs_->sizeHint().height();
    viewTabs_->setGeometry(kPlot.left(), kPlot.top() + strip, kPlot.width() + dx, tabs);
    ui->Chart1->setGeometry(kPlot.adjusted(0, strip + tabs, dx, plotDy));
    waveformView_->setGeometry(ui->Chart1->geometry());
    findChild<QWidget*>("bandMapLargePlot")->setGeometry(ui->Chart1->geometry());
    seriesView_->setGeometry(ui->Chart1->geometry());
    waterfallView_->setGeometry(ui->Chart1->geometry());
    coherenceView_->setGeometry(ui->Chart1->geometry());
    shaftSpeedNotice_->move(kPlot.left() + (ui->Chart1->width() - shaftSpeedNotice_->width()) / 2,
                            kPlot.top());
    placeEvidencePanel();
}

void TForm16::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize base = minimumSize();
    const int dx = width() - base.width(), dy = height() - base.height();
    const int plotDy = dy * kPlotShareOfHeight / kHeightShares;
    layOutPlot();
    ui->progressBar->move(kProgressBar + QPoint(dx / 2, plotDy / 2));
    ui->cancelButton->move(kCancelButton + QPoint(dx / 2, plotDy / 2));
    ui->SpeedButton1->move(kOpenButton + QPoint(0, plotDy));
    ui->seriesButton->move(kSeriesButton + QPoint(0, plotDy));
    ui->GroupBox1->move(kBoundsGroup + QPoint(0, plotDy));
    ui->analysisGroup->setGeometry(kAnalysisGroup.translated(0, plotDy).adjusted(0, 0, dx, 0));
    layOutAnalysisRow(dx);
    ui->markersGroup->move(kMarkersGroup + QPoint(0, plotDy));
    ui->analysisTabs->setGeometry(
        kAnalysisTabs.translated(0, plotDy).adjusted(0, 0, dx, dy - plotDy));

    const QRect chart = ui->Chart1->geometry();
    emptyHint_->move(chart.center() - QPoint(emptyHint_->width() / 2, emptyHint_->height() / 2));
    emptyHint_->setVisible(!doc_.hasSpectrum());
    emptyHint_->raise();
}

} // namespace orbistan::ui
