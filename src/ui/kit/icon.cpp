#include "ui/kit/icon.h"

#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <vector>

namespace orbistan::ui {

namespace {

struct Disc {
    QPointF centre;
    double radius;
    QColor fill;
};

const QColor kOutline(0x00, 0x00, 0x80);

double outlineWidth(double size) {
    return std::max(1.0, size / 16.0);
}

// The rings and the eight rolling elements, for a square of that size; the outer ring's
// outline stays inside the square.
std::vector<Disc> bearingPicture(double size) {
    const QPointF c(size / 2.0, size / 2.0);
    const double outer = (size - outlineWidth(size)) / 2, inner = size * 0.22;
    const double pitch = (outer + inner) / 2;
    const double ball = (outer - inner) * 0.34;
    std::vector<Disc> discs{{c, outer, QColor(0xC0, 0xC0, 0xC0)}};
    for (int k = 0; k < 8; ++k) {
        const double t = k * M_PI / 4;
        discs.push_back({c + QPointF(pitch * std::cos(t), pitch * std::sin(t)), ball,
                         QColor(0x80, 0x00, 0x00)});
    }
    discs.push_back({c, inner, Qt::white});
    return discs;
}

} // namespace

QImage bearingIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kOutline, outlineWidth(size)));
    for (const Disc& d : bearingPicture(size)) {
        p.setBrush(d.fill);
        p.drawEllipse(d.centre, d.radius, d.radius);
    }
    return image;
}

QByteArray bearingIconSvg() {
    const double size = 256;
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                     "viewBox=\"0 0 256 256\">\n";
    svg += QString("<g stroke=\"%1\" stroke-width=\"%2\">\n")
               .arg(kOutline.name())
               .arg(outlineWidth(size))
               .toUtf8();
    for (const Disc& d : bearingPicture(size)) {
        svg += QString("<circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                   .arg(d.centre.x(), 0, 'f', 3)
                   .arg(d.centre.y(), 0, 'f', 3)
                   .arg(d.radius, 0, 'f', 3)
                   .arg(d.fill.name())
                   .toUtf8();
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

QIcon bearingIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(QPixmap::fromImage(bearingIconImage(size)));
    }
    return icon;
}

} // namespace orbistan::ui
