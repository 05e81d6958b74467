#include "ui/text.h"

#include "shell/cp1251.h"

namespace orbistan::ui {

std::string toCore(const QString& text) {
    return utf8ToCp1251Lossy(text.toStdString());
}

QString fromCore(const std::string& bytes) {
    return QString::fromStdString(cp1251ToUtf8(bytes));
}

QValidator::State Cp1251Validator::validate(QString& input, int&) const {
    return utf8ToCp1251(input.toStdString()) ? Acceptable : Invalid;
}

} // namespace orbistan::ui
