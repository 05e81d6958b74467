#include "ui/TForm16.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm16::TForm16(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    setWindowFlags(Qt::Window);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
