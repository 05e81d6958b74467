#include "ui_fixture.h"

#include "ui/kit/file_dialog.h"
#include "ui/kit/modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

namespace orbistan::test {

void UiFixture::start(const std::function<void(const QString& dir)>& prepare) {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    oldDir_ = QDir::currentPath();
    QDir::setCurrent(dir_->path());
    if (prepare) {
        prepare(dir_->path());
    }
    shown_.clear();
    unexpected_.clear();
    unansweredBefore_ = ui::unansweredModalCount();
    ui::setModalHandler([this](QDialog& dialog) {
        shown_ << dialog.metaObject()->className();
        if (answers_.empty() && standing_) {
            standing_(dialog);
            return;
        }
        if (answers_.empty()) {
            unexpected_ << dialog.metaObject()->className();
            dialog.reject();
            return;
        }
        auto script = std::move(answers_.front());
        answers_.pop_front();
        script(dialog);
    });
    // A file dialog that the test did not script would block in a real dialog.
    ui::setFileDialogHandler([this](const ui::FileRequest& r) {
        unexpected_ << "file dialog " + r.filter;
        return QString();
    });
    startWatchdog();
    openForm();
}

void UiFixture::startWatchdog() {
    // Any modal window that stays up unanswered (one shown past the seams) is closed and
    // fails the test, instead of hanging it.
    watchdog_ = std::make_unique<QTimer>();
    watchdog_->setInterval(500);
    QObject::connect(watchdog_.get(), &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal != watched_) {
            watched_ = modal;
            watchedSince_.start();
            return;
        }
        if (watchedSince_.elapsed() > 3000) {
            unexpected_ << QString("unanswered ") + modal->metaObject()->className();
            modal->close();
            watched_ = nullptr;
        }
    });
    watchdog_->start();
}

void UiFixture::restart() {
    form_.reset();
    openForm();
}

void UiFixture::openForm() {
    form_ = std::make_unique<ui::TForm1>();
    form_->createWindows();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

QByteArray UiFixture::fileBytes(const QString& name) const {
    QFile file(dir_->path() + "/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void UiFixture::stop() {
    watchdog_.reset();
    form_.reset();
    ui::setModalHandler({});
    ui::setFileDialogHandler({});
    QDir::setCurrent(oldDir_);
    dir_.reset();
    QVERIFY2(unexpected_.isEmpty(), qPrintable("unexpected windows: " + unexpected_.join(", ")));
    const bool allUsed = answers_.empty();
    answers_.clear();
    standing_ = {};
    QVERIFY2(allUsed, "a scripted answer was not used");
    QCOMPARE(ui::unansweredModalCount(), unansweredBefore_);
}

void UiFixture::answer(std::function<void(QDialog&)> script) {
    answers_.push_back(std::move(script));
}

void UiFixture::answerAll(int count, const QString& buttonText) {
    for (int i = 0; i < count; ++i) {
        answer([buttonText](QDialog& d) {
            for (QAbstractButton* b : d.findChildren<QAbstractButton*>()) {
                if (b->isVisible() && b->text() == buttonText) {
                    QTest::mouseClick(b, Qt::LeftButton);
                    return;
                }
            }
            QFAIL(qPrintable("no button " + buttonText));
        });
    }
}

void UiFixture::clickButton(QDialog& dialog, const QString& name) {
    auto* b = dialog.findChild<QAbstractButton*>(name);
    QVERIFY2(b && b->isVisible(), qPrintable("no visible button " + name));
    QTest::mouseClick(b, Qt::LeftButton);
}

void UiFixture::type(const QString& editName, const QString& text) {
    QLineEdit* e = edit(editName);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    for (QChar ch : text) {
        // keyClicks aborts on characters outside Latin-1: send each one as its own event.
        QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void UiFixture::typeGeometry(const QStringList& zFrDwDdA) {
    const QStringList fields = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"};
    for (int i = 0; i < fields.size(); ++i) {
        type(fields[i], zFrDwDdA.value(i));
    }
}

QWidget* UiFixture::topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name) {
            return w;
        }
    }
    return nullptr;
}

void UiFixture::click(const QString& buttonName) {
    QTest::mouseClick(button(buttonName), Qt::LeftButton);
}

} // namespace orbistan::test
