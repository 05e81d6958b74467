#include "ui/dialogs/disagree.h"

#include <QAbstractButton>

namespace orbistan::ui {

DisagreeSwitch::DisagreeSwitch(QDialog& dialog, QList<QWidget*> firstContents, QWidget* answer,
                               QAbstractButton* agree, QAbstractButton* disagree,
                               QAbstractButton* single)
    : first_(std::move(firstContents)), second_{answer, single} {
    first_ << agree << disagree;
    QObject::connect(agree, &QAbstractButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(disagree, &QAbstractButton::clicked, &dialog, [this] { this->disagree(); });
    QObject::connect(single, &QAbstractButton::clicked, &dialog, [this, &dialog] {
        restore();
        dialog.accept();
    });
    // Escape closes the window too: it must leave it in its first state as well.
    QObject::connect(&dialog, &QDialog::rejected, &dialog, [this] { restore(); });
}

void DisagreeSwitch::disagree() {
    for (QWidget* w : first_) {
        w->hide();
    }
    for (QWidget* w : second_) {
        w->show();
    }
}

void DisagreeSwitch::restore() {
    for (QWidget* w : second_) {
        w->hide();
    }
    for (QWidget* w : first_) {
        w->show();
    }
}

} // namespace orbistan::ui
