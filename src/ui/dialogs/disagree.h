#pragma once
// The "НЕ СОГЛАСЕН" answer of a range warning: its message and buttons give way to
// "НУ И БАЛБЕС ! ! !" and a single "СОГЛАСЕН", which restores the window and closes it.

#include <QDialog>
#include <QList>

class QAbstractButton;

namespace orbistan::ui {

class DisagreeSwitch {
public:
    DisagreeSwitch(QDialog& dialog, QList<QWidget*> firstContents, QWidget* answer,
                   QAbstractButton* agree, QAbstractButton* disagree, QAbstractButton* single);

    // Back to the message and both buttons, so that the next showing starts there.
    void restore();

private:
    void disagree();

    QList<QWidget*> first_;
    QList<QWidget*> second_;
};

} // namespace orbistan::ui
