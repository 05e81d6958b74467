#pragma once

#include <QIcon>

namespace orbistan::ui {

// The program's icon: a rolling bearing seen from the side, drawn rather than shipped.
QIcon bearingIcon();

} // namespace orbistan::ui
