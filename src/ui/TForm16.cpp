#include "ui/TForm16.h"

#include "ui/style.h"

#include <QChart>
#include <QLineSeries>

namespace orbistan::ui {

TForm16::TForm16(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setWindowFlags(Qt::Window);
    // One red line with ascending X values, nothing plotted yet.
    QChart* chart = ui.Chart1->chart();
    chart->setTitle("Спектр");
    chart->setBackgroundBrush(Qt::white);
    chart->legend()->hide();
    auto* series = new QLineSeries(chart);
    series->setPen(QPen(Qt::red));
    chart->addSeries(series);
    chart->createDefaultAxes();
    completeAccessibility(*this);
}

} // namespace orbistan::ui
