#pragma once

class QApplication;
class QCoreApplication;

namespace orbistan::ui {

// The program's name, its look and Qt's Russian texts, as the window program starts them.
void setUpApplication(QApplication& app);

// Qt's own texts (the file dialogs, the fields' context menus) in Russian, from the
// translations installed with Qt. Returns false, and leaves Qt's English, when they are missing.
bool installQtTranslations(QCoreApplication& app);

} // namespace orbistan::ui
