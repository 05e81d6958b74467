// The spectrum window's series: «Серия…» opens a folder or files as a series, trended on the
// «Тренд» tab as its rows come; a record of it opens in the spectrum tab with a click, and
// ← → (Ctrl+← → on the spectrum) step through the series, the bearing's lines kept.
#include "ui/spectrum/TForm16.h"

#include "ui/kit/file_dialog.h"
#include "ui/spectrum/series_runner.h"
#include "ui/spectrum/series_view.h"
#include "ui/spectrum/waterfall_view.h"
#include "ui_TForm16.h"

#include <QMenu>
#include <QStyle>
#include <QTabBar>

namespace orbistan::ui {

void TForm16::setUpSeries() {
    addViewTab("Тренд", "Серия записей во времени: уровни, линии семейств, база и порог, первые "
                        "признаки");
    addViewTab("Водопад", "Спектры серии во времени цветом, линии подшипника поверх");
    seriesView_ = new SeriesView(this);
    seriesView_->hide();
    waterfallView_ = new WaterfallView(seriesView_->document(), this);
    waterfallView_->hide();
    connect(waterfallView_, &WaterfallView::recordChosen, this, &TForm16::seriesRecordChosen);
    seriesRunner_ = new SeriesRunner(this);
    ui->seriesButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    auto* menu = new QMenu(ui->seriesButton);
    QAction* folder = menu->addAction("Папка записей…", this, [this] { chooseSeries(true); });
    folder->setObjectName("seriesFolderAction");
    QAction* files = menu->addAction("Файлы записей…", this, [this] { chooseSeries(false); });
    files->setObjectName("seriesFilesAction");
    ui->seriesButton->setMenu(menu);
    connect(seriesRunner_, &SeriesRunner::started, this,
            [this](std::size_t total) { seriesView_->showProgress(0, total, true); });
    connect(seriesRunner_, &SeriesRunner::rowReady, this,
            [this](const std::shared_ptr<const SeriesRow>& row) {
                seriesView_->addRow(*row);
                waterfallView_->rowsChanged();
                seriesView_->showProgress(seriesView_->document().rows().size(),
                                          seriesRunner_->total(), true);
            });
    connect(seriesRunner_, &SeriesRunner::finished, this, [this](bool, const QString& problem) {
        seriesView_->showProgress(0, 0, false);
        seriesView_->redraw();
        waterfallView_->redraw();
        if (!problem.isEmpty()) {
            showFileProblem(problem);
        }
    });
    connect(seriesView_, &SeriesView::cancelAsked, this, [this] {
        seriesRunner_->cancel();
        seriesView_->showProgress(0, 0, false);
        seriesView_->redraw();
    });
    connect(seriesView_, &SeriesView::recordChosen, this, &TForm16::seriesRecordChosen);
}

void TForm16::chooseSeries(bool folder) {
    FileRequest request{false, QString::fromStdString(doc_.settings().folder),
                        QString::fromStdString(fileDialogFilter()), QString(), false};
    request.pick = folder ? FileRequest::Pick::Folder : FileRequest::Pick::Files;
    std::vector<std::filesystem::path> named;
    for (const QString& path : choosePaths(this, request)) {
        named.emplace_back(path.toStdString());
    }
    if (!named.empty()) {
        openSeries(named);
    }
}

void TForm16::openSeries(const std::vector<std::filesystem::path>& named) {
    const bool aFolder = named.size() == 1 && std::filesystem::is_directory(named.front());
    const std::filesystem::path folder = aFolder ? named.front() : named.front().parent_path();
    seriesView_->begin(
        QString::fromStdString((aFolder ? folder.filename() : named.front().filename()).string()));
    const std::optional<WorkbenchBearing> bearing =
        bearingSource_ ? bearingSource_() : std::nullopt;
    seriesRunner_->start(named, seriesSettingsOf(doc_.settings(), bearing, folder));
    seriesView_->showProgress(0, 0, true);
    waterfallView_->setBearing(bearing ? std::optional(bearing->bases) : std::nullopt);
    viewTabs_->setTabEnabled(3, true);
    viewTabs_->setTabEnabled(4, true);
    viewTabs_->setCurrentIndex(3);
}

bool TForm16::seriesBusy() const {
    return seriesRunner_->busy();
}

void TForm16::seriesRecordChosen(std::size_t index, bool showSpectrum) {
    const std::vector<SeriesRow>& rows = seriesView_->document().rows();
    if (index >= rows.size()) {
        return;
    }
    seriesView_->setCurrent(index);
    openFile(rows[index].entry.path);
    if (showSpectrum) {
        viewTabs_->setCurrentIndex(0);
    }
}

QString TForm16::seriesPlace() const {
    const SeriesDocument& series = seriesView_->document();
    if (!series.current() || series.rows()[*series.current()].entry.path != doc_.shownPath()) {
        return {};
    }
    return QString(" — запись %1 из %2").arg(*series.current() + 1).arg(series.rows().size());
}

void TForm16::stepSeries(int direction, bool showSpectrum) {
    if (const std::optional<std::size_t> next = seriesView_->document().step(direction)) {
        seriesRecordChosen(*next, showSpectrum);
    }
}

} // namespace orbistan::ui
