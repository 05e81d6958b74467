#include "ui/icon.h"

#include <QPainter>
#include <QPixmap>
#include <cmath>

namespace orbistan::ui {

namespace {

QPixmap drawBearing(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size / 2.0, size / 2.0);
    const double outer = size * 0.48, inner = size * 0.22, pitch = (outer + inner) / 2;
    const double ball = (outer - inner) * 0.34;
    p.setPen(QPen(QColor(0x00, 0x00, 0x80), std::max(1.0, size / 16.0)));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawEllipse(c, outer, outer);
    p.setBrush(QColor(0x80, 0x00, 0x00));
    for (int k = 0; k < 8; ++k) {
        const double t = k * M_PI / 4;
        p.drawEllipse(c + QPointF(pitch * std::cos(t), pitch * std::sin(t)), ball, ball);
    }
    p.setBrush(Qt::white);
    p.drawEllipse(c, inner, inner);
    return pm;
}

} // namespace

QIcon bearingIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(drawBearing(size));
    }
    return icon;
}

} // namespace orbistan::ui
