#include "ui/kit/text.h"

#include "platform/cp1251.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace orbistan::ui {

std::string toCore(const QString& text) {
    return utf8ToCp1251Lossy(text.toStdString());
}

QString fromCore(const std::string& bytes) {
    return QString::fromStdString(cp1251ToUtf8(bytes));
}

namespace {

bool holdsInCp1251(const QString& text) {
    return utf8ToCp1251(text.toStdString()).has_value();
}

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

} // namespace

QValidator::State FieldTextValidator::validate(QString& input, int&) const {
    return std::none_of(input.begin(), input.end(), isControl) && holdsInCp1251(input) ? Acceptable
                                                                                       : Invalid;
}

void keepFieldTextValid(QLineEdit& edit) {
    auto* validator = new FieldTextValidator(&edit);
    edit.setValidator(validator);
    auto accepted = std::make_shared<QString>(edit.text());
    QObject::connect(&edit, &QLineEdit::textChanged, &edit, [&edit, validator, accepted] {
        QString text = edit.text();
        int pos = 0;
        if (validator->validate(text, pos) == QValidator::Acceptable) {
            *accepted = text;
        } else {
            edit.setText(*accepted); // runs the field's reactions again with the kept text
        }
    });
}

void refuseCharactersOutsideCp1251(QPlainTextEdit& memo) {
    QObject::connect(&memo, &QPlainTextEdit::textChanged, &memo, [&memo] {
        const QString text = memo.toPlainText();
        if (holdsInCp1251(text)) {
            return;
        }
        QTextCursor cursor(memo.document());
        cursor.beginEditBlock();
        // From the end, so that the positions still to be visited stay valid.
        for (qsizetype i = text.size(); i > 0;) {
            const qsizetype end = i;
            --i;
            if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) {
                --i;
            }
            if (!holdsInCp1251(text.mid(i, end - i))) {
                cursor.setPosition(static_cast<int>(i));
                cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
        }
        cursor.endEditBlock();
    });
}

QString decimalText(double v, int digits) {
    return QString::number(v, 'f', digits).replace('.', ',');
}

QString significantText(double v, int digits) {
    return QString::number(v, 'g', digits).replace('.', ',');
}

} // namespace orbistan::ui
