#include "ui/TForm1.h"
#include "ui/style.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Орбистан");
    QApplication::setApplicationDisplayName("Орбистан");
    orbistan::ui::applyHouseStyle(app);

    orbistan::ui::TForm1 form1;
    form1.createWindows();
    form1.show();
    orbistan::ui::centerOnScreen(form1);
    return QApplication::exec();
}
