#pragma once
// A series against time, as condition monitoring opens it: above, an overall level of each
// record (the measure chosen) with the baseline's records shaded and the alarm level at the
// rise chosen; below, each family's line in the envelope spectrum in dB above the floor, in
// its colour, its verdicts marked (a ring weak, a disc strong), with its own alarm level.
// The first record each family stays flagged from, and the first the level stays above its
// alarm from, are named on the plot and under the controls. A click on a record opens it;
// ← and → step to the record before or after.

#include "spectrum/series/series_document.h"

#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QCPAxisRect;
class QCPGraph;
class QCPItemRect;
class QCPItemStraightLine;
class QCPItemText;
class QCustomPlot;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace orbistan::ui {

class SeriesView : public QWidget {
    Q_OBJECT
public:
    explicit SeriesView(QWidget* parent = nullptr);

    const SeriesDocument& document() const { return doc_; }
    // A new series begins: its name (the folder's, or the first file's), nothing read yet.
    void begin(const QString& name);
    void addRow(const SeriesRow& row);
    // How far the series is: records handed on of all; running shows «Отмена».
    void showProgress(std::size_t handed, std::size_t total, bool running);
    // The record open, marked on the plot.
    void setCurrent(std::optional<std::size_t> index);
    void redraw();

    QCustomPlot* plot() const { return plot_; }
    // What the controls' line says of the first records flagged.
    QString firstsText() const;
    QString progressText() const;
    // The record nearest the time, in the plot's keys; none in an empty series.
    std::optional<std::size_t> recordNear(double key) const;

Q_SIGNALS:
    // A record clicked (`look`: the user wants to see it) or stepped to with ← →.
    void recordChosen(std::size_t index, bool look);
    void cancelAsked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setUpControls();
    void setUpChoosers(QHBoxLayout* row);
    void setUpPlot();
    void setUpFamilies();
    void setUpItems();
    void settingsChanged();
    void drawLevels();
    void drawFamilies();
    void drawBaseline();
    std::optional<double> placeAlarm(QCPItemStraightLine* line, TrendMeasure measure);
    // The record under a right click taken into the baseline or out of it.
    void showBaselineMenu(std::size_t index, const QPoint& globalPos);
    void drawFirsts();
    void placeVertical(QCPItemStraightLine* line, QCPItemText* text, std::optional<std::size_t> at,
                       const QString& caption, int slot);
    double keyOf(std::size_t index) const;

    SeriesDocument doc_;
    QString name_;
    QComboBox* measureBox_ = nullptr;
    QSpinBox* baselineBox_ = nullptr;
    QDoubleSpinBox* alarmBox_ = nullptr;
    QLabel* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* firsts_ = nullptr;
    QCustomPlot* plot_ = nullptr;
    QCPAxisRect* levelRect_ = nullptr;
    QCPAxisRect* familyRect_ = nullptr;
    QCPGraph* level_ = nullptr;
    std::array<QCPGraph*, kTrendFamilies> families_{}, weak_{}, strong_{};
    std::array<QCPItemStraightLine*, kTrendFamilies + 1> alarms_{}; // the level's last
    std::array<QCPItemStraightLine*, kTrendFamilies + 1> firstLines_{};
    std::array<QCPItemText*, kTrendFamilies + 1> firstTexts_{};
    // Each run of baseline records shaded in both plots; made as more runs are needed.
    std::vector<QCPItemRect*> baselineShades_;
    QCPItemRect* shade(QCPAxisRect* rect);
    std::array<QCPItemStraightLine*, 2> currentLines_{};
    QTimer* redrawSoon_ = nullptr;
};

} // namespace orbistan::ui
