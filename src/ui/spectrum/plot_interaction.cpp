#include "ui/spectrum/plot_interaction.h"

#include "ui/plot/plot.h"

namespace orbistan::ui {

namespace {

// A press and release closer than this is a click, not a drag.
constexpr int kClickPixels = 4;

} // namespace

PlotInteraction::PlotInteraction(QCustomPlot* plot) : QObject(plot), plot_(plot) {
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->axisRect()->setRangeDrag(Qt::Horizontal);
    plot->axisRect()->setRangeZoom(Qt::Horizontal);
    plot->setMouseTracking(true);
    plot->addLayer("cursor", plot->layer("legend"), QCustomPlot::limAbove);
    layer_ = plot->layer("cursor");
    layer_->setMode(QCPLayer::lmBuffered); // the cursor moves without a full redraw
    setUpCursor();
    setUpBand();
    hideCursor();
    connect(plot, &QCustomPlot::mousePress, this, &PlotInteraction::pressed);
    connect(plot, &QCustomPlot::mouseMove, this, &PlotInteraction::moved);
    connect(plot, &QCustomPlot::mouseRelease, this, &PlotInteraction::released);
    plot->installEventFilter(this);
}

void PlotInteraction::setUpCursor() {
    plot_->setCurrentLayer(layer_);
    line_ = new QCPItemStraightLine(plot_);
    line_->setPen(QPen(Qt::black, 1, Qt::DashLine));
    dot_ = new QCPItemTracer(plot_);
    dot_->setStyle(QCPItemTracer::tsCircle);
    dot_->setSize(8);
    dot_->setPen(QPen(Qt::black, 1.5));
    // Over the plot's top edge, in a margin kept for it: it covers neither data nor the
    // marker lines' names, which stand at the top inside.
    plot_->axisRect()->setMinimumMargins(QMargins(0, kReadoutRoom, 0, 0));
    text_ = new QCPItemText(plot_);
    text_->setClipToAxisRect(false);
    text_->position->setType(QCPItemPosition::ptAxisRectRatio);
    text_->position->setCoords(0, 0);
    text_->setPositionAlignment(Qt::AlignBottom | Qt::AlignLeft);
    text_->setTextAlignment(Qt::AlignLeft);
    text_->setBrush(QColor(255, 255, 230, 230));
    text_->setPadding(QMargins(4, 2, 4, 2));
    plot_->setCurrentLayer("main");
}

void PlotInteraction::setUpBand() {
    bandRect_ = new QCPItemRect(plot_);
    bandRect_->setLayer(layer_);
    bandRect_->setPen(QPen(QColor(0, 90, 200), 1));
    bandRect_->setBrush(QColor(0, 90, 200, 40));
    bandRect_->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
    bandRect_->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
    bandRect_->setVisible(false);
    plot_->setToolTip("Правая кнопка мыши: выделить полосу для спектра огибающей");
}

void PlotInteraction::showCursor(double frequency, double amplitude, const QString& readout) {
    line_->point1->setCoords(frequency, 0);
    line_->point2->setCoords(frequency, 1);
    dot_->position->setCoords(frequency, amplitude);
    text_->setText(readout);
    for (QCPAbstractItem* item :
         {static_cast<QCPAbstractItem*>(line_), static_cast<QCPAbstractItem*>(dot_),
          static_cast<QCPAbstractItem*>(text_)}) {
        item->setVisible(true);
    }
    layer_->replot();
}

void PlotInteraction::hideCursor() {
    // Nothing to take away: no drawing, which on a plot awaiting its replot would be all of it.
    if (!line_->visible() && !dot_->visible() && !text_->visible()) {
        return;
    }
    line_->setVisible(false);
    dot_->setVisible(false);
    text_->setVisible(false);
    layer_->replot();
}

QString PlotInteraction::readout() const {
    return text_->visible() ? text_->text() : QString();
}

bool PlotInteraction::eventFilter(QObject* watched, QEvent* event) {
    if (watched == plot_ && event->type() == QEvent::Leave) {
        hideCursor();
    }
    return QObject::eventFilter(watched, event);
}

double PlotInteraction::frequencyAt(const QMouseEvent* e) const {
    return plot_->xAxis->pixelToCoord(e->position().x());
}

void PlotInteraction::pressed(QMouseEvent* e) {
    pressedAt_ = e->position().toPoint();
    if (e->button() == Qt::RightButton && bandAllowed_) {
        bandFrom_ = frequencyAt(e);
    }
}

void PlotInteraction::moved(QMouseEvent* e) {
    if (e->buttons() == Qt::NoButton) {
        Q_EMIT hovered(frequencyAt(e));
    } else if (bandFrom_ && (e->buttons() & Qt::RightButton)) {
        const double to = frequencyAt(e);
        bandRect_->topLeft->setCoords(std::min(*bandFrom_, to), 0);
        bandRect_->bottomRight->setCoords(std::max(*bandFrom_, to), 1);
        bandRect_->setVisible(true);
        layer_->replot();
    }
}

void PlotInteraction::released(QMouseEvent* e) {
    const bool click = (e->position().toPoint() - pressedAt_).manhattanLength() < kClickPixels;
    if (e->button() == Qt::RightButton && bandFrom_) {
        const double from = *bandFrom_, to = frequencyAt(e);
        bandFrom_.reset();
        bandRect_->setVisible(false);
        layer_->replot();
        if (!click) {
            Q_EMIT bandChosen(std::max(0.0, std::min(from, to)), std::max(from, to));
        } else {
            Q_EMIT menuRequested(to, e->globalPosition().toPoint());
        }
    } else if (e->button() == Qt::RightButton && click) {
        Q_EMIT menuRequested(frequencyAt(e), e->globalPosition().toPoint());
    } else if (e->button() == Qt::LeftButton && click) { // not the end of a pan
        Q_EMIT clicked(frequencyAt(e));
    }
}

} // namespace orbistan::ui
