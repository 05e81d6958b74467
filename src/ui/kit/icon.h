#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace orbistan::ui {

// The program's icon: a rolling bearing seen from the side, drawn rather than shipped. The
// window icon, the installed PNG sizes and the installed SVG are all drawn from one picture.
QIcon bearingIcon();
QImage bearingIconImage(int size);
QByteArray bearingIconSvg();

} // namespace orbistan::ui
