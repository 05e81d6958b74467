#include "ui/TForm13.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm13::TForm13(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setWindowFlags(Qt::Window);
    setFixedSize(size());
    move(0, 5);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
