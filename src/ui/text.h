#pragma once
// The window's edge to the core: field texts are converted to and from code page 1251.

#include <QString>
#include <QValidator>

#include <string>

namespace orbistan::ui {

// Core bytes from a field text. Fields refuse what code page 1251 cannot hold, so the
// conversion is exact for typed text.
std::string toCore(const QString& text);
QString fromCore(const std::string& bytes);

// Refuses any character that code page 1251 cannot hold.
class Cp1251Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

} // namespace orbistan::ui
