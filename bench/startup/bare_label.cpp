// The floor of start-up: a Qt 6 Widgets window of one label, nothing else.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label("Орбистан");
    label.show();
    return app.exec();
}
