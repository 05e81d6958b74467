#pragma once
// The band map drawn as a colour map: frequency across, the levels of the band tree down
// (widest at the top), each band as bright as its envelope spectrum shows recurring
// impacts; the band the envelope was taken of outlined. A click takes the band under it.

#include "spectrum/dsp/band_map.h"

#include <QObject>

#include <optional>

class QCustomPlot;
class QCPColorMap;
class QCPItemRect;
class QMouseEvent;

namespace orbistan::ui {

class BandMapView : public QObject {
    Q_OBJECT
public:
    explicit BandMapView(QCustomPlot* plot);
    // Nothing to show without a map.
    void show(const std::optional<BandMap>& map, std::optional<Band> outlined);
    // The band of the cell at (frequency, level); none outside the map.
    std::optional<Band> bandAt(double frequency, double level) const;

Q_SIGNALS:
    void bandChosen(Band band);

private:
    void clicked(QMouseEvent* event);

    QCustomPlot* plot_;
    QCPColorMap* colours_ = nullptr;
    QCPItemRect* outline_ = nullptr;
    std::optional<BandMap> map_;
};

} // namespace orbistan::ui
