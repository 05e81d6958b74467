#pragma once
// What the mouse does on the spectrum plot: the wheel zooms and the left button pans the
// frequency axis; the cursor follows the pointer with its read-out; a click chooses the
// frequency under it; the right button drags out a band. The window decides what each means.

#include <QObject>
#include <QPoint>

#include <optional>

class QCustomPlot;
class QCPItemRect;
class QCPItemStraightLine;
class QCPItemText;
class QCPItemTracer;
class QCPLayer;
class QMouseEvent;

namespace orbistan::ui {

class PlotInteraction : public QObject {
    Q_OBJECT
public:
    // The room over the plot's top edge kept for the read-out and a strip above it.
    static constexpr int kReadoutRoom = 44;
    explicit PlotInteraction(QCustomPlot* plot);

    void setBandDragAllowed(bool allowed) { bandAllowed_ = allowed; }
    // The cursor at (frequency, amplitude) with its read-out; drawn on a layer of its own,
    // so that it moves without redrawing the spectrum.
    void showCursor(double frequency, double amplitude, const QString& readout);
    void hideCursor();
    QString readout() const;
    // The read-out's item, for what is placed under it.
    QCPItemText* readoutItem() const { return text_; }

Q_SIGNALS:
    void hovered(double frequency);
    void clicked(double frequency);
    void bandChosen(double low, double high);
    // A right click that dragged out no band: the plot's menu, at the screen's point.
    void menuRequested(double frequency, const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpCursor();
    void setUpBand();
    void pressed(QMouseEvent* e);
    void moved(QMouseEvent* e);
    void released(QMouseEvent* e);
    double frequencyAt(const QMouseEvent* e) const;

    QCustomPlot* plot_;
    QCPLayer* layer_ = nullptr;
    QCPItemStraightLine* line_ = nullptr;
    QCPItemTracer* dot_ = nullptr;
    QCPItemText* text_ = nullptr;
    QCPItemRect* bandRect_ = nullptr;
    std::optional<double> bandFrom_;
    bool bandAllowed_ = false;
    QPoint pressedAt_;
};

} // namespace orbistan::ui
