#pragma once
// The band map drawn as a colour map: frequency across, the levels of the band tree down
// (widest at the top), each band as bright as its envelope spectrum shows recurring
// impacts; the band the envelope was taken of outlined. A click takes the band under it.

#include "spectrum/dsp/band_map.h"

#include <QObject>
#include <QString>

#include <optional>
#include <utility>

class QCustomPlot;
class QCPColorMap;
class QCPItemRect;
class QCPItemText;
class QCPTextElement;
class QMouseEvent;

namespace orbistan::ui {

class BandMapView : public QObject {
    Q_OBJECT
public:
    // `detailed`: drawn large, with its axes (frequency across, the band width of each level
    // down), a colour scale of what the colours measure, a read-out of the band under the
    // mouse and the chosen band's values over it; spoken with the chosen band.
    explicit BandMapView(QCustomPlot* plot, bool detailed = false);
    // Nothing to show without a map.
    void show(const std::optional<BandMap>& map, std::optional<Band> outlined);
    // The band of the cell at (frequency, level); none outside the map.
    std::optional<Band> bandAt(double frequency, double level) const;
    // The band under the mouse as the read-out says it; empty outside the map.
    QString readout() const;
    // The chosen band as it is said over the map; empty when none is outlined.
    QString chosenText() const { return chosen_; }

Q_SIGNALS:
    void bandChosen(Band band);

private:
    void clicked(QMouseEvent* event);
    void hovered(QMouseEvent* event);
    void setUpDetails();
    void showDetails();
    void outline(std::optional<Band> outlined, double top);
    // The band and its measure at (frequency, level); none outside the map.
    std::optional<std::pair<Band, double>> cellAt(double frequency, double level) const;

    QCustomPlot* plot_;
    QCPColorMap* colours_ = nullptr;
    QCPItemRect* outline_ = nullptr;
    std::optional<BandMap> map_;
    bool detailed_ = false;
    QCPItemText* readout_ = nullptr;
    QCPTextElement* title_ = nullptr;
    QString chosen_;
};

} // namespace orbistan::ui
