#pragma once
// A series' spectra against time as a colour map: frequency across, the records up (the
// first at the bottom, as a waterfall rises), each line's height in dB above its record's
// floor (records of other bands and units alike); the bearing's lines over it, the
// families' harmonics. A click on a record opens it.

#include "search/search.h"
#include "spectrum/series/series_document.h"

#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QCPColorMap;
class QCPColorScale;
class QCPGraph;
class QCustomPlot;

namespace orbistan::ui {

class WaterfallView : public QWidget {
    Q_OBJECT
public:
    // Draws what `series` holds; it must outlive the view.
    WaterfallView(const SeriesDocument& series, QWidget* parent = nullptr);

    void setBearing(const std::optional<SearchBases>& bearing);
    // The series' rows changed: drawn again soon, not at every row.
    void rowsChanged();
    void redraw();
    bool showingEnvelope() const;
    QCustomPlot* plot() const { return plot_; }
    // The record drawn at that height of the map; none outside it.
    std::optional<std::size_t> recordAt(double value) const;

Q_SIGNALS:
    void recordChosen(std::size_t index, bool look);

private:
    void setUpPlot();
    void drawMap();
    void drawLines(double top, std::size_t records);

    const SeriesDocument& series_;
    std::optional<SearchBases> bearing_;
    QComboBox* kindBox_ = nullptr;
    QCustomPlot* plot_ = nullptr;
    QCPColorMap* map_ = nullptr;
    QCPColorScale* scale_ = nullptr;
    std::array<QCPGraph*, kTrendFamilies> lines_{};
    class QTimer* redrawSoon_ = nullptr;
};

} // namespace orbistan::ui
