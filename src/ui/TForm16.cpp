#include "ui/TForm16.h"
#include "ui_TForm16.h"

#include "ui/style.h"

#include "ui/plot.h"

namespace orbistan::ui {

TForm16::~TForm16() = default;

TForm16::TForm16(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm16>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window);
    // One red line with ascending X values, nothing plotted yet.
    QCustomPlot* plot = ui->Chart1;
    plot->setBackground(Qt::white);
    plot->plotLayout()->insertRow(0);
    plot->plotLayout()->addElement(
        0, 0, new QCPTextElement(plot, "Спектр", QFont(plot->font().family(), 10, QFont::Bold)));
    QCPGraph* series = plot->addGraph();
    series->setPen(QPen(Qt::red));
    plot->legend->setVisible(false);
    plot->xAxis->setRange(0, 1000);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
