#pragma once
// The window's runner of the document's tasks: each runs on a worker thread of its own, so
// that the window never waits. One runs at a time: a task started while another runs cancels
// it, and its outcome is dropped; the last one's outcome is delivered on the window's thread.
// The command line and the tests run the same tasks at once, through the core's runThrough.

#include "spectrum/workbench/workbench.h"

#include <QElapsedTimer>
#include <QObject>

#include <any>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace orbistan::ui {

class TaskRunner : public QObject {
    Q_OBJECT
public:
    // Work done on the worker after the task, from its result: what the window would
    // otherwise build on its own thread (the plot's graph of the spectrum prepared).
    using Finish = std::function<std::any(const TaskResult&)>;
    struct Outcome {
        TaskResult result;
        std::any finished; // what Finish made
    };

    explicit TaskRunner(QObject* parent = nullptr);
    // Cancels the task running and waits for its thread.
    ~TaskRunner() override;

    void start(WorkbenchTask task, Finish finish = {});
    // The task running ends as cancelled; its outcome, so marked, is still delivered.
    void cancel();
    bool busy() const { return job_ != nullptr; }
    // Of the task running: the task, how far it is (0 … 1) and how long it has run, ms.
    const WorkbenchTask* running() const;
    double progress() const;
    qint64 elapsedMs() const;

Q_SIGNALS:
    void finished(std::shared_ptr<TaskRunner::Outcome> outcome);

private:
    struct Job {
        WorkbenchTask task;
        Finish finish;
        std::atomic<bool> cancel{false};
        std::atomic<double> progress{0};
        QElapsedTimer started;
        std::optional<Outcome> outcome; // written by the worker before its thread finishes
    };
    std::shared_ptr<Job> job_;
};

} // namespace orbistan::ui
