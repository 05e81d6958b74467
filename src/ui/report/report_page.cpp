#include "ui/report/report_page.h"

#include "spectrum/diagnosis/cursors.h"
#include "spectrum/diagnosis/markers.h"
#include "ui/plot/plot.h"
#include "ui/plot/plot_labels.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// The marker lines with their names, and the highest peaks' frequencies, as the window
// draws them.
void addMarkers(QCustomPlot& plot, const Workbench& doc, const QCPRange& y) {
    const QCPRange view = plot.xAxis->range();
    for (const MarkerLine& line : doc.markerLines()) {
        if (view.contains(line.frequency)) {
            QCPGraph* g = plot.addGraph();
            g->setPen(markerPen(line.family, line.computed ? 2 : line.sideband ? 1 : 0));
            g->setData({line.frequency, line.frequency}, {y.lower, y.upper});
        }
    }
    for (const std::vector<PlotLabel>& labels :
         {markerNameLabels(doc, view), peakLabels(doc, view)}) {
        for (const std::size_t i : standingLabels(plot, labels)) {
            auto* item = new QCPItemText(&plot);
            item->setFont(labelFont(plot));
            item->setBrush(QColor(255, 255, 255, 200));
            showLabel(*item, labels[i]);
        }
    }
}

} // namespace

void drawReportPlot(QCustomPlot& plot, const Workbench& doc, double from, double to) {
    const Spectrum& s = *doc.displayed();
    const AmplitudeScale scale = doc.settings().amplitudeScale;
    plot.setBackground(Qt::white);
    QCPGraph* g = plot.addGraph();
    g->setPen(QPen(Qt::red));
    g->setData(graphData(s.frequency, s.amplitude, scale));
    if (scale == AmplitudeScale::Logarithmic) {
        plot.yAxis->setScaleType(QCPAxis::stLogarithmic);
        plot.yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog));
    }
    if (!(from < to)) {
        from = s.frequency.front(), to = s.frequency.back();
    }
    plot.xAxis->setRange(from, to);
    plot.xAxis->setLabel("Частота, Гц");
    plot.yAxis->setLabel(text(captionOnScale(s.units, scale)));
    if (const auto seen = doc.extremesBetween(from, to)) {
        const auto [bottom, top] = valueAxisOnScale(seen->first, seen->second, scale);
        plot.yAxis->setRange(bottom, top);
    }
    plot.replot(); // the labels are thinned by the pixels the axes give
    addMarkers(plot, doc, plot.yAxis->range());
    plot.replot();
}

QString reportTitleLine(const Report& report) {
    QString line = text(report.title);
    for (const auto& [caption, value] : report.facts) {
        if ((caption == "Подшипник" && value != "—") || caption == "Дата") {
            line += " · " + (caption == "Подшипник" ? "подшипник " + text(value) : text(value));
        }
    }
    return line;
}

QPixmap titledPicture(const QPixmap& plot, const QString& title) {
    constexpr int kTitleHeight = 26;
    QPixmap picture(plot.width(), plot.height() + kTitleHeight);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPointSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, plot.width() - 16, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     title);
    painter.drawPixmap(0, kTitleHeight, plot);
    return picture;
}

namespace {

// Lays out the page top-down; each part returns where the next begins.
class PageWriter {
public:
    PageWriter(QPainter& p, QRect page) : p_(p), page_(page), y_(page.top()) {}

    void title(const QString& t) {
        line(t, 13, true, Qt::black);
        y_ += 4;
    }
    // What was concluded, the first thing read: in the verdict's colour.
    void conclusion(const Report& r) {
        line(text(r.conclusion), 12, true,
             r.concluded && *r.concluded != Verdict::None ? QColor(QRgb(verdictRgb(*r.concluded)))
                                                          : Qt::black);
        y_ += 4;
    }
    void facts(const std::vector<std::pair<std::string, std::string>>& facts) {
        for (const auto& [caption, value] : facts) {
            setFont(9, true);
            p_.drawText(QRect(page_.left(), y_, 170, 16), Qt::AlignLeft, text(caption));
            setFont(9, false);
            const QRect room(page_.left() + 175, y_, page_.width() - 175, 32);
            const QRect used = p_.boundingRect(room, Qt::TextWordWrap, text(value));
            p_.drawText(room, Qt::TextWordWrap, text(value));
            y_ += std::max(16, used.height() + 2);
        }
        y_ += 6;
    }
    // What each line's colour means, for the families drawn: a stroke and its name.
    void legend(const Workbench& doc) {
        setFont(8, false);
        int x = page_.left();
        const std::array<bool, 6>& on = doc.settings().families;
        for (std::size_t f = 0; f < markerFamilies().size(); ++f) {
            if (!on[f] || !doc.bearing()) {
                continue;
            }
            const MarkerFamilyInfo& family = markerFamilies()[f];
            const QString name =
                text(std::string(family.name) + " — " + std::string(family.meaning));
            const int width = p_.fontMetrics().horizontalAdvance(name) + 26;
            if (x + width > page_.right()) {
                x = page_.left(), y_ += 14;
            }
            p_.setPen(QPen(QColor(QRgb(family.rgb)), 2));
            p_.drawLine(x, y_ + 7, x + 14, y_ + 7);
            p_.setPen(Qt::black);
            p_.drawText(QRect(x + 18, y_, width, 14), Qt::AlignLeft | Qt::AlignVCenter, name);
            x += width + 8;
        }
        y_ += x > page_.left() ? 20 : 0;
    }
    void diagnosis(const std::vector<DiagnosisLine>& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            line(text(lines[i].text), 9, i == 0,
                 lines[i].marked() ? QColor(QRgb(verdictRgb(Verdict::Strong))) : Qt::black);
        }
        y_ += 6;
    }
    void table(const Report& r) {
        static const int kWidths[] = {28, 90, 80, 150, 34, 34, 90, 80};
        const auto row = [&](const std::vector<std::string>& cells, bool bold) {
            setFont(8, bold);
            int x = page_.left();
            for (std::size_t c = 0; c < cells.size() && c < std::size(kWidths); ++c) {
                p_.drawText(QRect(x, y_, kWidths[c] - 4, 14), Qt::AlignLeft | Qt::AlignVCenter,
                            text(cells[c]));
                x += kWidths[c];
            }
            y_ += 14;
        };
        row(r.captions, true);
        p_.drawLine(page_.left(), y_, page_.right(), y_);
        std::size_t shown = 0;
        for (; shown < r.rows.size() && y_ + 28 <= page_.bottom(); ++shown) {
            row(r.rows[shown], false);
        }
        if (shown < r.rows.size()) {
            line(QString::fromStdString("… и ещё " + peaksCounted(r.rows.size() - shown)), 8, false,
                 Qt::black);
        }
    }
    int y() const { return y_; }

private:
    void setFont(int points, bool bold) {
        QFont f = p_.font();
        f.setPointSize(points);
        f.setBold(bold);
        p_.setFont(f);
    }
    void line(const QString& t, int points, bool bold, const QColor& colour) {
        setFont(points, bold);
        p_.setPen(colour);
        const QRect room(page_.left(), y_, page_.width(), 200);
        const QRect used = p_.boundingRect(room, Qt::TextWordWrap, t);
        p_.drawText(room, Qt::TextWordWrap, t);
        p_.setPen(Qt::black);
        y_ += used.height() + 2;
    }

    QPainter& p_;
    QRect page_;
    int y_;
};

} // namespace

QByteArray reportPdf(const Report& report, const Workbench& doc, double from, double to) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(96);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    writer.setCreator("Орбистан");
    writer.setTitle("Отчёт: " + text(report.title));
    QCPPainter painter(&writer);
    const QRect page = painter.viewport();
    PageWriter w(painter, QRect(0, 0, page.width(), page.height()));
    w.title("Отчёт: " + reportTitleLine(report));
    w.conclusion(report);
    w.facts(report.facts);
    // The plot takes what the page has left once the legend, the diagnosis and the table
    // have their room (a line of 14 px each, a few more for the diagnosis's wrapped lines):
    // the page is used to its foot, not a third of it left empty.
    const int below = 40 + 18 * static_cast<int>(report.diagnosis.size() + 1) +
                      14 * static_cast<int>(report.rows.size() + 2);
    const int plotHeight = std::max(330, page.height() - w.y() - 8 - below);
    {
        QCustomPlot plot;
        plot.resize(page.width(), plotHeight);
        drawReportPlot(plot, doc, from, to);
        painter.save();
        painter.translate(0, w.y());
        plot.toPainter(&painter, page.width(), plotHeight);
        painter.restore();
    }
    PageWriter rest(painter, QRect(0, w.y() + plotHeight + 8, page.width(),
                                   page.height() - w.y() - plotHeight - 8));
    rest.legend(doc);
    rest.diagnosis(report.diagnosis);
    rest.table(report);
    painter.end();
    return buffer.data();
}

} // namespace orbistan::ui
