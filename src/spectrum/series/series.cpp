#include "spectrum/series/series.h"

#include "calc/numbers.h"
#include "platform/cp1251.h"
#include "platform/runtime_error.h"
#include "spectrum/dsp/transform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace orbistan {

namespace {

bool hidden(const std::filesystem::path& p) {
    return p.filename().string().starts_with('.');
}

// The files of a folder, not of its subfolders; one that cannot be listed is an error.
void addFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    if (ec) {
        throw SpectrumFileError(readFailure(displayName(folder), runtimeCodeFromErrno(ec.value())));
    }
    for (; it != end; it.increment(ec)) {
        if (ec) {
            throw SpectrumFileError(
                readFailure(displayName(folder), runtimeCodeFromErrno(ec.value())));
        }
        std::error_code kind;
        if (!hidden(it->path()) && !it->is_directory(kind)) {
            files.push_back(it->path());
        }
    }
}

} // namespace

std::vector<SeriesEntry> seriesEntries(const std::vector<std::filesystem::path>& named) {
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& p : named) {
        std::error_code ec;
        const std::filesystem::file_status status = std::filesystem::status(p, ec);
        if (std::filesystem::is_directory(status)) {
            addFolder(p, files);
        } else if (std::filesystem::exists(status)) {
            files.push_back(p); // its reader says what it is when it is not a record
        } else {
            throw SpectrumFileError({ProblemKind::Missing, displayName(p), "", "его нет"});
        }
    }
    std::set<std::filesystem::path> seen;
    std::vector<SeriesEntry> entries;
    for (const std::filesystem::path& p : files) {
        if (seen.insert(std::filesystem::absolute(p).lexically_normal()).second) {
            entries.push_back({p, recordTime(p)});
        }
    }
    std::stable_sort(
        entries.begin(), entries.end(), [](const SeriesEntry& a, const SeriesEntry& b) {
            return a.time.seconds != b.time.seconds
                       ? a.time.seconds < b.time.seconds
                       : naturalLess(a.path.filename().string(), b.path.filename().string());
        });
    return entries;
}

namespace {

std::size_t familyIndex(FaultFamily f) {
    return static_cast<std::size_t>(f);
}

// The envelope's profile reaches the highest harmonic the evidence looks at.
double envelopeTop(const SearchBases& b) {
    double highest = 0;
    for (const FaultFamilyInfo& f : faultFamilies()) {
        highest = std::max(highest, f.base(b));
    }
    return (kEvidenceHarmonics + 1) * highest;
}

void judge(const SeriesEntry& entry, const SeriesSettings& settings,
           std::shared_ptr<const Waveform> record, SeriesRow& row, const Progress& progress) {
    WorkbenchTask task = diagnosisTask(entry.path, settings.source, settings.transform,
                                       settings.bases, settings.band, settings.whiten,
                                       settings.slipPercent, settings.lines, settings.method);
    task.speed = settings.speed;
    task.record = std::move(record);
    const TaskResult r = runTask(std::move(task), progress);
    if (r.cancelled) {
        throw SpectrumCancelled{};
    }
    if (r.problem || !r.diagnosis || !r.envelope) {
        row.problem = r.problem ? problemText(*r.problem) : "диагноз не поставлен";
        return;
    }
    row.band = r.band;
    row.method = r.method;
    row.speed = r.diagnosis->speed;
    if (settings.profiles) {
        row.envelope = profileOf(
            *r.envelope, std::min(envelopeTop(settings.bases), r.envelope->frequency.back()));
    }
    for (const FamilyEvidence& e : r.diagnosis->families) {
        FamilyLevel& level = row.families.at(familyIndex(e.family));
        level.verdict = e.verdict;
        level.frequency = foundOrExpected(e);
        if (const std::optional<FoundLine> line =
                fundamentalLine(*r.envelope, e, r.diagnosis->windowPercent)) {
            level.decibels = line->decibels;
            level.frequency = line->frequency;
        }
    }
}

} // namespace

SeriesRow trendRow(const SeriesEntry& entry, const SeriesSettings& settings,
                   const Progress& progress) {
    SeriesRow row;
    row.entry = entry;
    for (const FaultFamilyInfo& f : faultFamilies()) {
        row.families.at(familyIndex(f.id)).family = f.id;
    }
    try {
        // Reading is most of a text record's time, the judging most of a binary one's.
        FileContents c =
            readSpectrumFile(entry.path, settings.source,
                             Progress([&](double f) { progress.step(0.5 * f); }, nullptr));
        if (!c.record) {
            row.problem = problemText({ProblemKind::Unsuited, displayName(entry.path), "",
                                       "в нём спектр, а не запись сигнала"});
            return row;
        }
        auto record = std::make_shared<const Waveform>(std::move(*c.record));
        row.sampleRate = record->sampleRate;
        row.rateAssumed = !c.statedRate && !settings.source.rate && !c.rateGiven;
        row.levels = RangeExtremes(record->samples).levels(0, record->samples.size());
        if (settings.profiles) {
            const Spectrum spectrum = recordSpectrum(*record, settings.transform);
            row.spectrum = profileOf(spectrum, spectrum.frequency.back());
        }
        if (settings.judge) {
            judge(entry, settings, std::move(record), row,
                  Progress([&](double f) { progress.step(0.5 + 0.5 * f); }, nullptr));
        }
    } catch (const SpectrumFileError& e) {
        row.problem = problemText(e.of(displayName(entry.path)).problem());
    } catch (const std::bad_alloc&) {
        row.problem =
            problemText({ProblemKind::TooLarge, displayName(entry.path), "", kNoMemoryToRead});
    }
    return row;
}

namespace {

// The rows done and not yet handed on, shared by the workers and the caller.
struct Handover {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::size_t, SeriesRow> done;
    std::size_t handed = 0;
    std::exception_ptr failure;
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> next{0};
    std::size_t ahead = 0; // how far past the rows handed on a worker may start one

    void halt() {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
    }

    // On the caller's thread: each row as soon as it and all before it are done.
    void handOn(std::size_t total, const std::function<void(SeriesRow&&)>& take,
                const Progress& progress) {
        std::unique_lock lock(mutex);
        while (handed < total && !failure) {
            changed.wait_for(lock, std::chrono::milliseconds(50),
                             [&] { return failure || done.count(handed) > 0; });
            for (auto it = done.find(handed); it != done.end(); it = done.find(handed)) {
                SeriesRow row = std::move(it->second);
                done.erase(it);
                lock.unlock();
                take(std::move(row));
                lock.lock();
                ++handed;
                changed.notify_all();
            }
            const double share = static_cast<double>(handed) / static_cast<double>(total);
            lock.unlock();
            progress.step(share); // a cancel is thrown from here
            lock.lock();
        }
    }

    void work(const std::vector<SeriesEntry>& entries, const SeriesSettings& settings) {
        const Progress stopping(nullptr, &stop);
        while (!stop) {
            const std::size_t i = next++;
            if (i >= entries.size()) {
                return;
            }
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || i < handed + ahead; });
            }
            try {
                SeriesRow row = trendRow(entries[i], settings, stopping);
                {
                    std::lock_guard lock(mutex);
                    done.emplace(i, std::move(row));
                }
                changed.notify_all();
            } catch (const SpectrumCancelled&) {
                return;
            } catch (...) {
                {
                    std::lock_guard lock(mutex);
                    failure = std::current_exception();
                }
                halt();
                return;
            }
        }
    }
};

} // namespace

void runSeries(const std::vector<SeriesEntry>& entries, const SeriesSettings& settings,
               const std::function<void(SeriesRow&&)>& take, const Progress& progress,
               unsigned threads) {
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    threads = static_cast<unsigned>(
        std::min<std::size_t>(threads, std::max<std::size_t>(1, entries.size())));
    Handover h;
    h.ahead = 4 * std::size_t(threads); // the rows waiting stay few, whatever the series
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&] { h.work(entries, settings); });
    }
    const auto finish = [&] {
        h.halt();
        for (std::thread& w : workers) {
            w.join();
        }
    };
    try {
        h.handOn(entries.size(), take, progress);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (h.failure) {
        std::rethrow_exception(h.failure);
    }
}

Profile profileOf(const Spectrum& s, double top, std::size_t bins) {
    Profile p{top, std::vector<float>(bins, 0.0F)};
    if (s.frequency.empty() || !(top > 0) || bins == 0) {
        return p;
    }
    const double width = top / static_cast<double>(bins);
    const std::vector<double>& f = s.frequency;
    for (std::size_t b = 0; b < bins; ++b) {
        const double low = width * static_cast<double>(b), high = low + width;
        auto i = std::lower_bound(f.begin(), f.end(), low);
        double highest = -1;
        for (; i != f.end() && *i < high; ++i) {
            highest = std::max(highest, s.amplitude[static_cast<std::size_t>(i - f.begin())]);
        }
        if (highest < 0) { // no line in the bin: the one nearest its middle, within the span
            const double middle = low + width / 2;
            if (middle > f.back()) {
                continue;
            }
            const auto at = std::lower_bound(f.begin(), f.end(), middle);
            std::size_t k = static_cast<std::size_t>(at - f.begin());
            if (k == f.size() || (k > 0 && middle - f[k - 1] < f[k] - middle)) {
                k = k == 0 ? 0 : k - 1;
            }
            highest = s.amplitude[k];
        }
        p.amplitude[b] = static_cast<float>(highest);
    }
    return p;
}

std::optional<std::size_t> firstFlagged(const std::vector<SeriesRow>& rows, FaultFamily family,
                                        Verdict least, std::size_t confirm) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool flagged =
            rows[i].levels && rows[i].families.at(familyIndex(family)).verdict >= least;
        run = flagged ? run + 1 : 0;
        if (run >= std::max<std::size_t>(confirm, 1)) {
            return i + 1 - run;
        }
    }
    return std::nullopt;
}

namespace {

std::string numberField(double value) {
    return cp1251ToUtf8(formatGeneral(value));
}

std::string decibelsField(const std::optional<double>& decibels) {
    return decibels ? numberField(std::round(*decibels * 10) / 10) : std::string();
}

std::string bandField(const SeriesRow& row) {
    if (!row.problem.empty()) {
        return row.problem;
    }
    // To a tenth of a hertz, as bands are typed.
    const std::string method =
        row.method == EnvelopeMethod::BandMap
            ? ""
            : std::string(termOf(kEnvelopeMethodTerms, row.method).key) + " ";
    return method + numberField(std::round(row.band.low * 10) / 10) + ":" +
           numberField(std::round(row.band.high * 10) / 10);
}

} // namespace

std::string trendHeader() {
    std::string header = "time\tsource\tfile\trms\tpeak\tcrest\tkurtosis\tfr\tfr_source";
    for (const FaultFamilyInfo& f : faultFamilies()) {
        header += "\t" + std::string(f.key) + "_db\t" + std::string(f.key);
    }
    return header + "\tband\n";
}

std::string trendLine(const SeriesRow& row) {
    std::string line = timeText(row.entry.time.seconds) + "\t" +
                       std::string(termOf(kTimeSourceTerms, row.entry.time.source).key) + "\t" +
                       visibleText(row.entry.path.filename().string());
    const Levels* l = row.levels ? &*row.levels : nullptr;
    for (const double value :
         {l ? l->rms : 0, l ? l->peak : 0, l ? l->crest : 0, l ? l->kurtosis : 0}) {
        line += "\t" + (l ? numberField(value) : std::string());
    }
    const bool judged = row.levels && row.problem.empty();
    line += "\t" + (judged ? numberField(std::round(row.speed.hz * 1e4) / 1e4) : std::string()) +
            "\t" + (judged ? std::string(termOf(kSpeedSourceTerms, row.speed.source).key) : "");
    for (const FamilyLevel& f : row.families) {
        line += "\t" + (judged ? decibelsField(f.decibels) : std::string()) + "\t" +
                (judged ? std::string(verdictKey(f.verdict)) : std::string());
    }
    return line + "\t" + bandField(row) + "\n";
}

} // namespace orbistan
