#pragma once

class QCoreApplication;

namespace orbistan::ui {

// Qt's own texts (the file dialogs, the fields' context menus) in Russian, from the
// translations installed with Qt. Returns false, and leaves Qt's English, when they are missing.
bool installQtTranslations(QCoreApplication& app);

} // namespace orbistan::ui
