#include "ui/TForm9.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm9::TForm9(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    // The number field lies over the blanks of the sentence "… № … в базе есть.".
    const QFontMetrics fm(ui.Label1->font());
    const QString text = ui.Label1->text();
    const int left = fm.horizontalAdvance(text.left(text.indexOf(QString("№")) + 1)) + 4;
    const int right = fm.horizontalAdvance(text.left(text.indexOf(QString("в базе")))) - 4;
    ui.Edit1->setGeometry(ui.Label1->x() + left, ui.Edit1->y(), right - left, ui.Edit1->height());
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
