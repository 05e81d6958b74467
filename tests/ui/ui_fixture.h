#pragma once
// A fresh program directory and main window per test, and scripted answers to modal windows.

#include "ui/main/TForm1.h"

#include <QAction>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <deque>
#include <functional>
#include <memory>
#include <utility>

namespace orbistan::test {

class UiFixture {
public:
    // prepare runs in the fresh program directory before the main window starts there.
    void start(const std::function<void(const QString& dir)>& prepare = {});
    // Fails the test if a window was left unanswered or an answer left unused. A file dialog
    // that the test did not answer, and a modal window that stays up unanswered for three
    // seconds (the watchdog closes it), fail it too.
    void stop();
    // Ends the program and starts it again in the same program directory.
    void restart();

    ui::TForm1& form() { return *form_; }

    // The next modal window gets this answer (also those that start() shows); windows
    // without one are a failure.
    void answer(std::function<void(QDialog&)> script);
    // Answers the next windows by clicking the button of that caption, recording their names.
    void answerAll(int count, const QString& buttonText);
    // Answers every modal window that no queued answer is left for, however many come,
    // until set empty again (random use cannot know how many will).
    void answerEvery(std::function<void(QDialog&)> script) { standing_ = std::move(script); }

    QStringList shownWindows() const { return shown_; }
    // What stop() would fail on; a test of the fixture itself takes it back.
    QStringList takeUnexpected() { return std::exchange(unexpected_, {}); }
    QString programDir() const { return dir_->path(); }
    // The bytes of a file in the program directory, or "<missing>".
    QByteArray fileBytes(const QString& name) const;

    template <typename T> T* child(const QString& name) {
        T* w = form_->findChild<T*>(name);
        if (!w) {
            // A missing control is a broken form, not a failed expectation: stop here.
            qFatal("no child %s", qPrintable(name));
        }
        return w;
    }
    QLineEdit* edit(const QString& name) { return child<QLineEdit>(name); }
    QToolButton* button(const QString& name) { return child<QToolButton>(name); }
    QAction* action(const QString& name) { return child<QAction>(name); }

    // Replaces a field's text the way a user does: select all, then type.
    void type(const QString& editName, const QString& text);
    // Types the six inputs in the order Z, Fr, dw, D, d, a.
    void typeGeometry(const QStringList& zFrDwDdA);

    // The top-level window of that name (TForm2 … TForm16), or null.
    static QWidget* topLevel(const QString& name);
    void click(const QString& buttonName);

    static void clickButton(QDialog& dialog, const QString& name);

private:
    void openForm();
    void startWatchdog();

    std::unique_ptr<QTemporaryDir> dir_;
    QString oldDir_;
    std::unique_ptr<ui::TForm1> form_;
    std::deque<std::function<void(QDialog&)>> answers_;
    std::function<void(QDialog&)> standing_;
    QStringList shown_;
    QStringList unexpected_;
    int unansweredBefore_ = 0;
    std::unique_ptr<QTimer> watchdog_;
    QPointer<QWidget> watched_;
    QElapsedTimer watchedSince_;
};

} // namespace orbistan::test
