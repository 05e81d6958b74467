#pragma once
// Positions and sizes that code applies to the spectrum window's form (TForm16.ui), in client
// coordinates at the window's least size; what a larger window gains is shared out from them.

#include <QPoint>
#include <QRect>

namespace orbistan::ui::form16 {

// Of the height the window gains, the plot takes two thirds, the tabs under it the rest.
inline constexpr int kPlotShareOfHeight = 2, kHeightShares = 3;

inline constexpr QRect kPlot{4, 4, 821, 325};
// Between the shaft-speed notice's strip and the plot under it.
inline constexpr int kNoticeGap = 4;
// The progress bar and its cancel button, over the plot's middle.
inline constexpr QPoint kProgressBar{200, 170}, kCancelButton{548, 170};

// Under the plot: the open button and the bounds' fields, the analysis row, the markers'
// group and the tabs.
inline constexpr QPoint kOpenButton{10, 340}, kSeriesButton{10, 372}, kBoundsGroup{44, 334},
    kMarkersGroup{4, 466};
inline constexpr QRect kAnalysisGroup{380, 334, 445, 128}, kAnalysisTabs{380, 466, 445, 102};

// The analysis row's left edges, the window's chooser at its least width: what it gains moves
// the lines' and the channel's choosers right.
inline constexpr int kWindowBoxWidth = 112, kLinesLabelLeft = 172, kLinesBoxLeft = 216,
                     kChannelLabelLeft = 324, kChannelBoxLeft = 368, kChannelBoxWidth = 68;

// The band map on the envelope's page: right of the band's controls, to the page's edges.
inline constexpr int kBandMapLeft = 250, kBandMapRightMargin = 4, kBandMapBottomMargin = 2,
                     kBandMapLeast = 40;

} // namespace orbistan::ui::form16
