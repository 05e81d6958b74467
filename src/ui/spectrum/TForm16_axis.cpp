// The spectrum plot's frequency axis: its bounds typed and shown, the whole range, and the
// keys that move the cursor and the view over it.
#include "ui/spectrum/TForm16.h"
#include "ui_TForm16.h"

#include "calc/numbers.h"
#include "ui/kit/text.h"
#include "ui/plot/plot.h"

#include <QKeyEvent>

#include <cmath>

namespace orbistan::ui {

namespace {

QString boundText(double v) {
    return fromCore(formatGeneral(std::round(v * 100) / 100));
}

} // namespace

void TForm16::boundsEdited() {
    const auto low = readNumber(fieldNumberText(toCore(ui->Edit1->text())));
    const auto high = readNumber(fieldNumberText(toCore(ui->Edit2->text())));
    ui->Edit1->setModified(false);
    ui->Edit2->setModified(false);
    if (low && high && *low < *high) {
        ui->Chart1->xAxis->setRange(*low, *high);
        ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
    }
    rangeChanged(); // a bound that does not read goes back to what is shown
}

void TForm16::rangeChanged() {
    const QCPRange r = ui->Chart1->xAxis->range();
    if (r.lower < 0) { // no line lies below 0 Hz: the view keeps its span above it
        ui->Chart1->xAxis->setRange(0, r.size()); // which comes back here
        return;
    }
    // A bound being typed is left alone; one entered follows the axis like the other.
    for (auto [edit, value] : {std::pair{ui->Edit1, r.lower}, std::pair{ui->Edit2, r.upper}}) {
        if (!edit->hasFocus() || !edit->isModified() || edit->text().isEmpty()) {
            edit->setText(boundText(value));
        }
    }
    fitValueAxis();
}

void TForm16::showFullRange() {
    if (const Spectrum* s = doc_.displayed()) {
        const std::vector<double>& f = s->frequency;
        ui->Chart1->xAxis->setRange(f.front(), f.back());
        ui->Chart1->replot(QCustomPlot::rpQueuedReplot);
    }
}

// The plot takes the width and two thirds of the height gained; the peak table the rest.
void TForm16::keyPressEvent(QKeyEvent* event) {
    if ((event->modifiers() & Qt::ControlModifier) &&
        (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        stepSeries(event->key() == Qt::Key_Right ? 1 : -1, true); // the series' next record
        return;
    }
    if (!doc_.displayed()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Left:
        stepCursor(event->key() == Qt::Key_Right ? 1 : -1);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAroundCursor(0.5);
        break;
    case Qt::Key_Minus:
        zoomAroundCursor(2);
        break;
    case Qt::Key_Home:
        showFullRange();
        break;
    case Qt::Key_H: // the same keys in the Russian layout: Р and И
    case 0x0420:    // Р
        if (cursor_.position()) {
            placeHarmonicCursor(*cursor_.position());
        }
        break;
    case Qt::Key_B:
    case 0x0418: // И
        if (cursor_.position()) {
            placeSidebandCursor(*cursor_.position());
        }
        break;
    case Qt::Key_Escape:
        clearCursors();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace orbistan::ui
