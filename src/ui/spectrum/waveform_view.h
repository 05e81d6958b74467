#pragma once
// The record against time, as an analyst looks at it before any spectrum: each pixel column
// drawn as the least and greatest sample under it (from the record's summary, so that ten
// million samples pan and zoom as fast as a thousand), the samples themselves once they are
// fewer than the columns. The wheel zooms and the left button pans the time axis; ← → pan,
// + − zoom, Home shows the whole record. Two clicks place a pair of cursors whose Δt reads as
// a frequency named by the bearing's nearest one; the periodic cursor marks every period
// from the first. Above the plot, the levels of the whole record and of the part shown.

#include "search/search.h"
#include "spectrum/dsp/extremes.h"
#include "spectrum/signal/waveform.h"
#include "spectrum/workbench/workbench.h"

#include <QWidget>

#include <memory>
#include <optional>

class QCheckBox;
class QHBoxLayout;
class QCPGraph;
class QCPItemStraightLine;
class QCustomPlot;
class QLabel;

namespace orbistan::ui {

class PlotInteraction;

class WaveformView : public QWidget {
    Q_OBJECT
public:
    explicit WaveformView(QWidget* parent = nullptr);

    // The record and its summary, its samples in `units`; a null record empties the view.
    // The cursors of another record are not carried over.
    void showRecord(std::shared_ptr<const Waveform> record, const RangeExtremes* summary,
                    const Units& units);
    void setBearing(const std::optional<SearchBases>& bearing);
    void showAll();
    // The cursor pair: the first click places the first, the next the second, the one after
    // starts a new pair.
    void placeCursor(double seconds);
    void clearCursors();
    void setPeriodic(bool on);
    // The band's envelope over the record, drawn while «Огибающая» is on; none while it is
    // being made.
    void setEnvelope(std::shared_ptr<const TimeEnvelope> envelope);
    bool envelopeShown() const;
    bool envelopeAsked() const;

    QCustomPlot* plot() const { return plot_; }
    QString levelsText() const;
    QString periodText() const;
    // Where the periodic cursor's marks stand, in seconds.
    const std::vector<double>& periodicTimes() const { return periodic_; }

Q_SIGNALS:
    // «Огибающая» was turned on or off.
    void envelopeWanted(bool on);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpPlot();
    QHBoxLayout* controlsRow();
    void rangeChanged();
    void redraw();
    void drawEnvelope();
    void drawCursors();
    void showLevels();
    double duration() const;
    std::pair<std::size_t, std::size_t> visibleSamples() const;
    void hovered(double seconds);

    QCustomPlot* plot_ = nullptr;
    PlotInteraction* interaction_ = nullptr;
    QCPGraph* trace_ = nullptr;
    QCPGraph* marks_ = nullptr; // the cursors' and the periodic cursor's strokes
    QCPGraph* envelopeGraph_ = nullptr;
    QCheckBox* envelopeBox_ = nullptr;
    std::shared_ptr<const TimeEnvelope> envelope_;
    QLabel* levels_ = nullptr;
    QLabel* period_ = nullptr;
    QCheckBox* periodicBox_ = nullptr;
    std::shared_ptr<const Waveform> record_;
    const RangeExtremes* summary_ = nullptr;
    Units units_;
    std::optional<SearchBases> bearing_;
    std::optional<double> first_, second_;
    std::vector<double> periodic_;
    bool redrawing_ = false;
};

} // namespace orbistan::ui
