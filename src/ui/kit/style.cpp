#include "ui/kit/style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOptionToolButton>

namespace orbistan::ui {

namespace {

constexpr const char* kCaptionColour = "orbistanCaptionColour";

// Fusion, with each tool button's caption drawn in the colour its property names. A colour
// change touches no widget palette: every new palette is a new key in the style's pixmap
// cache, and recolouring the field buttons on every computation grew the memory without end.
class HouseStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option);
        const QVariant colour = widget ? widget->property(kCaptionColour) : QVariant();
        if (element == CE_ToolButtonLabel && button && colour.isValid()) {
            QStyleOptionToolButton recoloured = *button; // the label's text only: no cache
            recoloured.palette.setColor(QPalette::ButtonText, colour.value<QColor>());
            QProxyStyle::drawControl(element, &recoloured, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

void applyHouseStyle(QApplication& app) {
    app.setStyle(new HouseStyle(QStyleFactory::create("Fusion")));
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
        // Described in words, as its tooltip says it; a name in the code means nothing to
        // whoever listens.
        if (w->accessibleDescription().isEmpty() && !w->toolTip().isEmpty()) {
            w->setAccessibleDescription(w->toolTip());
        }
        // A caption, a label's text or a group's title is left to Qt, which speaks it as it is
        // now: a copy taken here would go stale when the text changes before a window is shown.
        // Qt names a group inside a group by the outer title, so those fixed titles are copied.
        if (auto* g = qobject_cast<QGroupBox*>(w);
            g && qobject_cast<QGroupBox*>(g->parentWidget()) && g->accessibleName().isEmpty()) {
            g->setAccessibleName(g->title().trimmed());
        }
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            showReceivedTextFromItsStart(*edit);
        }
    }
    if (window.accessibleName().isEmpty()) {
        window.setAccessibleName(window.windowTitle());
    }
}

void showReceivedTextFromItsStart(QLineEdit& edit) {
    // setText leaves the field unmodified, an edit by the user does not: only a text the field
    // received is shown from its start, the way the user reads a number; typing keeps the cursor.
    QObject::connect(&edit, &QLineEdit::textChanged, &edit, [&edit] {
        if (!edit.isModified()) {
            edit.setCursorPosition(0);
        }
    });
    // The same text set again sends no textChanged but still puts the cursor at the end; a
    // field without focus can have its cursor moved by nothing else.
    QObject::connect(&edit, &QLineEdit::cursorPositionChanged, &edit, [&edit](int, int now) {
        if (!edit.hasFocus() && !edit.isModified() && now != 0 && now == edit.text().size()) {
            edit.setCursorPosition(0);
        }
    });
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
    if (button.property(kCaptionColour) != QVariant(colour)) {
        button.setProperty(kCaptionColour, colour);
        button.update();
    }
}

QColor captionColour(const QAbstractButton& button) {
    const QVariant colour = button.property(kCaptionColour);
    return colour.isValid() ? colour.value<QColor>() : button.palette().color(QPalette::ButtonText);
}

} // namespace orbistan::ui
