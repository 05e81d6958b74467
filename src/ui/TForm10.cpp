#include "ui/TForm10.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm10::TForm10(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(size());
    completeAccessibility(*this);
}

} // namespace orbistan::ui
