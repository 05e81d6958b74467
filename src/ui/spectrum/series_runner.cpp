#include "ui/spectrum/series_runner.h"

#include "spectrum/signal/file_problem.h"

#include <QMetaObject>
#include <QThread>

namespace orbistan::ui {

SeriesRunner::SeriesRunner(QObject* parent) : QObject(parent) {}

SeriesRunner::~SeriesRunner() {
    cancel();
    for (QThread* thread : findChildren<QThread*>()) {
        thread->wait();
    }
}

void SeriesRunner::start(std::vector<std::filesystem::path> named, SeriesSettings settings,
                         unsigned threads) {
    cancel();
    auto job = std::make_shared<Job>();
    job_ = job;
    QThread* thread =
        QThread::create([this, job, named = std::move(named), settings = std::move(settings),
                         threads] { work(job, named, settings, threads); });
    thread->setParent(this);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

// On the worker: the records listed, read and judged; what it says reaches the window's
// thread queued, and only while its series is the one wanted.
void SeriesRunner::work(const std::shared_ptr<Job>& job,
                        const std::vector<std::filesystem::path>& named,
                        const SeriesSettings& settings, unsigned threads) {
    const auto say = [this, job](auto what) {
        QMetaObject::invokeMethod(
            this,
            [this, job, what] {
                if (job == job_) {
                    what();
                }
            },
            Qt::QueuedConnection);
    };
    QString problem;
    bool cancelled = false;
    try {
        const std::vector<SeriesEntry> entries = seriesEntries(named);
        job->total = entries.size();
        say([this, n = entries.size()] { Q_EMIT started(n); });
        runSeries(
            entries, settings,
            [&](SeriesRow&& row) {
                ++job->handed;
                say([this, r = std::make_shared<const SeriesRow>(std::move(row))] {
                    Q_EMIT rowReady(r);
                });
            },
            Progress(nullptr, &job->cancel), threads);
    } catch (const SpectrumCancelled&) {
        cancelled = true;
    } catch (const SpectrumFileError& e) {
        problem = QString::fromStdString(problemText(e.problem()));
    } catch (const std::exception&) {
        problem = "Серия не обработана: не хватило памяти или потоков";
    }
    say([this, cancelled, problem] {
        job_.reset();
        Q_EMIT finished(cancelled, problem);
    });
}

void SeriesRunner::cancel() {
    if (job_) {
        job_->cancel = true;
        job_.reset(); // its rows and its end are no longer wanted
    }
}

std::size_t SeriesRunner::handed() const {
    return job_ ? job_->handed.load() : 0;
}

std::size_t SeriesRunner::total() const {
    return job_ ? job_->total.load() : 0;
}

} // namespace orbistan::ui
