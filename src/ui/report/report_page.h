#pragma once
// The report's page as the window and the command line both draw it: the plot of what the
// workbench shows, with its marker lines and peak labels, over the facts, the diagnosis and
// the peak table; written as a one-page A4 PDF.

#include "spectrum/workbench/report.h"

#include <QByteArray>
#include <QPixmap>

class QCustomPlot;

namespace orbistan::ui {

// The workbench's spectrum drawn into a plot of its own, between the frequencies given (the
// whole spectrum when they are equal): the spectrum, the marker lines with their names and
// the highest peaks with their frequencies, as the window draws them.
void drawReportPlot(QCustomPlot& plot, const Workbench& doc, double from, double to);

// The page, as PDF bytes.
QByteArray reportPdf(const Report& report, const Workbench& doc, double from, double to);

// A plot picture with a title line over it: the file, the bearing and the date.
QPixmap titledPicture(const QPixmap& plot, const QString& title);

// "файл · подшипник 6205 · 08.12.2026 17:30": the title line of pictures and the report.
QString reportTitleLine(const Report& report);

} // namespace orbistan::ui
