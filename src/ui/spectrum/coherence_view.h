#pragma once
// The record's spectral coherence drawn to be read: the map (cyclic frequency across, carrier
// frequency up, each point as bright as its coherence, a colour scale with values), the
// bearing's families' harmonics dashed over it, the carriers of the enhanced envelope
// spectrum outlined; below it that spectrum with the same lines. Dragging up or down the map
// chooses other carriers; a switch makes the coherence the diagnosis's method.

#include "search/search.h"
#include "spectrum/dsp/cyclic.h"

#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QCPAxisRect;
class QCPColorMap;
class QCPColorScale;
class QCPGraph;
class QCPItemRect;
class QCPItemText;
class QCPTextElement;
class QCustomPlot;
class QMouseEvent;

namespace orbistan::ui {

class CoherenceView : public QWidget {
    Q_OBJECT
public:
    explicit CoherenceView(QWidget* parent = nullptr);

    // The map (none: nothing drawn yet), the carriers outlined and their spectrum, when the
    // envelope shown is made of them; whether the diagnosis is made by the coherence.
    void show(std::shared_ptr<const CoherenceMap> map, std::optional<Band> carriers,
              const Spectrum* spectrum, const std::optional<SearchBases>& bearing,
              bool diagnosisByCoherence);
    // Why no map is drawn, said in its place until one is; empty while it is being made.
    void setFailure(const QString& failure) { failure_ = failure; }
    QCustomPlot* plot() const { return plot_; }
    QCPAxisRect* mapRect() const { return mapRect_; }
    QCPAxisRect* spectrumRect() const { return spectrumRect_; }
    // The point under the mouse as the read-out says it; empty outside the map.
    QString readout() const;
    // What the title says: the carriers chosen, or how to choose them.
    QString title() const;

Q_SIGNALS:
    void carriersChosen(Band carriers);
    void diagnosisMethodChosen(bool byCoherence);

private:
    void setUpPlot();
    void setUpItems();
    void drawMap(const CoherenceMap& map);
    void drawLines(double top);
    void pressed(QMouseEvent* event);
    void moved(QMouseEvent* event);
    void released(QMouseEvent* event);
    void outline(double low, double high);

    QCustomPlot* plot_ = nullptr;
    QCheckBox* methodBox_ = nullptr;
    QCPAxisRect* mapRect_ = nullptr;
    QCPAxisRect* spectrumRect_ = nullptr;
    QCPColorMap* colours_ = nullptr;
    QCPColorScale* scale_ = nullptr;
    QCPGraph* spectrum_ = nullptr;
    std::array<QCPGraph*, 4> mapLines_{}, spectrumLines_{};
    QCPItemRect* outline_ = nullptr;
    QCPItemText* readout_ = nullptr;
    QCPTextElement* title_ = nullptr;
    std::shared_ptr<const CoherenceMap> map_;
    std::optional<SearchBases> bearing_;
    std::optional<double> dragFrom_; // the carrier a drag began at
    QString failure_;
};

} // namespace orbistan::ui
