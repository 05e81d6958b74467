#pragma once
// The window's runner of a series: the records are listed, read and judged off the window's
// thread (on every core, as the command line does), and each row is handed to the window's
// thread in time order as soon as it is ready, so that the trend grows while the window
// answers. One series at a time: a new one cancels the one running.

#include "spectrum/series/series.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace orbistan::ui {

class SeriesRunner : public QObject {
    Q_OBJECT
public:
    explicit SeriesRunner(QObject* parent = nullptr);
    // Cancels the series running and waits for its thread.
    ~SeriesRunner() override;

    void start(std::vector<std::filesystem::path> named, SeriesSettings settings,
               unsigned threads = 0);
    void cancel();
    bool busy() const { return job_ != nullptr; }
    // Of the series running: records handed on, and how many there are (0 while listing).
    std::size_t handed() const;
    std::size_t total() const;

Q_SIGNALS:
    void started(std::size_t total);
    void rowReady(std::shared_ptr<const orbistan::SeriesRow> row);
    // Every row handed on, or cancelled, or failed (listing the folder): why, for the user.
    void finished(bool cancelled, const QString& problem);

private:
    struct Job {
        std::atomic<bool> cancel{false};
        std::atomic<std::size_t> handed{0}, total{0};
    };
    void work(const std::shared_ptr<Job>& job, const std::vector<std::filesystem::path>& named,
              const SeriesSettings& settings, unsigned threads);
    std::shared_ptr<Job> job_;
};

} // namespace orbistan::ui
