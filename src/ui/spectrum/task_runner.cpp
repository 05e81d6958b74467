#include "ui/spectrum/task_runner.h"

#include <QThread>

namespace orbistan::ui {

TaskRunner::TaskRunner(QObject* parent) : QObject(parent) {}

TaskRunner::~TaskRunner() {
    cancel();
    for (QThread* thread : findChildren<QThread*>()) {
        thread->wait();
    }
}

void TaskRunner::start(WorkbenchTask task, Finish finish) {
    if (job_) {
        job_->cancel = true; // its thread ends on its own; its outcome is not wanted
    }
    auto job = std::make_shared<Job>();
    job->task = std::move(task);
    job->finish = std::move(finish);
    job->started.start();
    job_ = job;
    QThread* thread = QThread::create([job] {
        Outcome o;
        o.result =
            runTask(job->task, Progress([&job](double f) { job->progress = f; }, &job->cancel));
        if (job->finish) {
            o.finished = job->finish(o.result);
        }
        job->outcome = std::move(o);
    });
    thread->setParent(this);
    connect(thread, &QThread::finished, this, [this, job, thread] {
        thread->deleteLater();
        if (job == job_) {
            job_.reset();
            Q_EMIT finished(std::make_shared<Outcome>(std::move(*job->outcome)));
        }
    });
    thread->start();
}

void TaskRunner::cancel() {
    if (job_) {
        job_->cancel = true;
    }
}

const WorkbenchTask* TaskRunner::running() const {
    return job_ ? &job_->task : nullptr;
}

double TaskRunner::progress() const {
    return job_ ? job_->progress.load() : 0;
}

qint64 TaskRunner::elapsedMs() const {
    return job_ ? job_->started.elapsed() : 0;
}

} // namespace orbistan::ui
