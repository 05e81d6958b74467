#include "ui/style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QStyleFactory>

namespace orbistan::ui {

void applyHouseStyle(QApplication& app) {
    app.setStyle(QStyleFactory::create("Fusion"));
    // The forms are laid out for MS Sans Serif; an Arial-metric face keeps their texts inside
    // the designed widths, where the wider default sans-serif face would cut them.
    QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "Arial", "Sans Serif"});
    QFont font("MS Sans Serif", 8);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}

void completeAccessibility(QWidget& window) {
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_")) {
            continue;
        }
        if (w->accessibleDescription().isEmpty()) {
            w->setAccessibleDescription(w->objectName());
        }
        if (!w->accessibleName().isEmpty()) {
            continue;
        }
        QString name;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            name = b->text();
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            name = l->text();
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            name = g->title();
        }
        w->setAccessibleName(name.trimmed());
    }
    if (window.accessibleName().isEmpty()) {
        window.setAccessibleName(window.windowTitle());
    }
    window.setAccessibleDescription(window.objectName());
}

void makeFixedDialog(QWidget& window) {
    window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window.setFixedSize(window.size());
}

void makeFixedWindow(QWidget& window) {
    window.setWindowFlags(kFixedWindowFlags);
    window.setFixedSize(window.size());
}

void centerOnScreen(QWidget& window) {
    if (const QScreen* screen = window.screen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
    }
}

void setCaptionColour(QAbstractButton& button, const QColor& colour) {
    QPalette p = button.palette();
    p.setColor(QPalette::ButtonText, colour);
    button.setPalette(p);
}

} // namespace orbistan::ui
