#pragma once
// Look and placement shared by all windows.

#include <QColor>
#include <Qt>

class QApplication;
class QAbstractButton;
class QLineEdit;
class QWidget;

namespace orbistan::ui {

// The field buttons' captions: navy as the last computation used the field, blue once changed;
// the function-key strip's texts are navy too.
inline const QColor kNavy{0x00, 0x00, 0x80};
inline const QColor kBlue{0x00, 0x00, 0xFF};

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
