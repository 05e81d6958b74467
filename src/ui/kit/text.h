#pragma once
// The window's edge to the core: field texts are converted to and from code page 1251.

#include <QString>
#include <QValidator>

#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace orbistan::ui {

// Core bytes from a field text. Fields refuse what code page 1251 cannot hold, so the
// conversion is exact for typed text.
std::string toCore(const QString& text);
QString fromCore(const std::string& bytes);

// What a one-line field may hold: characters of code page 1251 and no control characters (a
// line break pasted into a field would break the line-based data files).
class FieldTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Gives the field a FieldTextValidator and holds it to it however the text arrives: typed and
// pasted texts are refused by the validator, and a text set by the program or through the
// accessibility interface that it refuses is taken back.
void keepFieldTextValid(QLineEdit& edit);

// Numbers shown with a decimal comma, as every number of the program: with `digits`
// decimals, or to `digits` significant digits.
QString decimalText(double v, int digits);
QString significantText(double v, int digits = 4);

// Takes out of a text box, as they arrive, the characters that code page 1251 cannot hold.
void refuseCharactersOutsideCp1251(QPlainTextEdit& memo);

} // namespace orbistan::ui
