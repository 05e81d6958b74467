// The window's task runner without a window: the task runs off the caller's thread, only the
// last task's outcome comes back, a cancel ends the task as cancelled, and a runner that goes
// while its task runs waits for it and says nothing.
#include "platform/atomic_file.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/io/audio.h"
#include "ui/spectrum/task_runner.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <filesystem>

using orbistan::ui::TaskRunner;

Q_DECLARE_METATYPE(std::shared_ptr<TaskRunner::Outcome>)

class TaskRunnerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::filesystem::path shortRecord_, longRecord_;

    static orbistan::WorkbenchTask opening(const std::filesystem::path& path) {
        return orbistan::Workbench().openTask(path);
    }
    static std::shared_ptr<TaskRunner::Outcome> outcomeOf(const QSignalSpy& spy, int i = 0) {
        return spy.at(i).at(0).value<std::shared_ptr<TaskRunner::Outcome>>();
    }

private Q_SLOTS:
    void initTestCase() {
        qRegisterMetaType<std::shared_ptr<TaskRunner::Outcome>>();
        QVERIFY(dir_.isValid());
        orbistan::SynthSettings s;
        s.Fr = 29.95, s.Fo = 106.98, s.Fi = 162.57, s.Fw = 69.52, s.Fq = 11.89;
        s.seconds = 1;
        shortRecord_ = dir_.filePath("short.wav").toStdString();
        QCOMPARE(
            orbistan::writeFileAtomically(shortRecord_, orbistan::encodeWav(synthesize(s), 12000)),
            0);
        s.seconds = 60;
        s.sampleRate = 48000;
        longRecord_ = dir_.filePath("long.wav").toStdString();
        QCOMPARE(
            orbistan::writeFileAtomically(longRecord_, orbistan::encodeWav(synthesize(s), 48000)),
            0);
    }

    void runsOffTheCallersThreadAndFinishesThere() {
        TaskRunner runner;
        QSignalSpy spy(&runner, &TaskRunner::finished);
        runner.start(opening(shortRecord_), [](const orbistan::TaskResult&) -> std::any {
            return QThread::currentThread();
        });
        QVERIFY(runner.busy());
        QCOMPARE(runner.running()->path, shortRecord_);
        QVERIFY(spy.wait(10000));
        QVERIFY(!runner.busy());
        QVERIFY(!runner.running());
        const auto outcome = outcomeOf(spy);
        QVERIFY(outcome->result.contents && outcome->result.contents->spectrum);
        QVERIFY(!outcome->result.problem && !outcome->result.cancelled);
        QVERIFY(std::any_cast<QThread*>(outcome->finished) != QThread::currentThread());
    }

    // A second task supersedes the first: one outcome, the second's.
    void theLastTaskStartedIsTheOneThatAnswers() {
        TaskRunner runner;
        QSignalSpy spy(&runner, &TaskRunner::finished);
        runner.start(opening(longRecord_));
        runner.start(opening(shortRecord_));
        QVERIFY(spy.wait(10000));
        QTest::qWait(300); // the first one's end, if it were delivered, would be by now
        QCOMPARE(spy.count(), 1);
        QCOMPARE(outcomeOf(spy)->result.task.path, shortRecord_);
    }

    void aCancelEndsTheTaskAsCancelled() {
        TaskRunner runner;
        QSignalSpy spy(&runner, &TaskRunner::finished);
        runner.start(opening(longRecord_));
        runner.cancel();
        QVERIFY(spy.wait(10000));
        QVERIFY(outcomeOf(spy)->result.cancelled);
        QVERIFY(!outcomeOf(spy)->result.contents);
    }

    void aProblemComesBackAsAValue() {
        TaskRunner runner;
        QSignalSpy spy(&runner, &TaskRunner::finished);
        runner.start(opening(dir_.filePath("gone.wav").toStdString()));
        QVERIFY(spy.wait(10000));
        const auto& problem = outcomeOf(spy)->result.problem;
        QVERIFY(problem);
        QCOMPARE(problem->kind, orbistan::ProblemKind::Missing);
        QCOMPARE(problem->file, std::string("gone.wav"));
    }

    void aRunnerGoingAwayWaitsAndSaysNothing() {
        int delivered = 0;
        {
            TaskRunner runner;
            connect(&runner, &TaskRunner::finished, this, [&delivered] { ++delivered; });
            runner.start(opening(longRecord_));
        }
        QTest::qWait(100);
        QCOMPARE(delivered, 0);
    }
};

QTEST_GUILESS_MAIN(TaskRunnerTest)
#include "task_runner_test.moc"
