#pragma once
// Look and placement shared by all windows.

#include <Qt>

class QApplication;
class QAbstractButton;
class QColor;
class QLineEdit;
class QWidget;

namespace orbistan::ui {

// Fusion with the stand-in of the designed 8-point sans-serif font.
void applyHouseStyle(QApplication& app);

// Every control gets its object name as accessible description (its caption is its accessible
// name, as Qt gives it), and every text field shows a text it receives from its start.
void completeAccessibility(QWidget& window);
void showReceivedTextFromItsStart(QLineEdit& edit);

// Fixed-size dialog frame without a close box.
void makeFixedDialog(QWidget& window);

// A fixed single border with the system menu, minimise and close boxes.
inline constexpr Qt::WindowFlags kFixedWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
void makeFixedWindow(QWidget& window);

void centerOnScreen(QWidget& window);

// The colour a tool button's caption is drawn in (the house style draws it; tests read it).
void setCaptionColour(QAbstractButton& button, const QColor& colour);
QColor captionColour(const QAbstractButton& button);

} // namespace orbistan::ui
