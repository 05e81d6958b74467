// Trending a folder of records against the floor measured in the same run: reading every
// record (its bytes, every number of it parsed) and one forward transform of each, on the
// same threads. The records are as a run-to-failure test writes them: text, four bearings'
// channels in tab-separated columns, one second at 20 kHz each. And the peak memory of a
// tenth of the series beside the whole: flat in the number of records.
//   bench_trend [RECORDS=1000]
// Prints the times and ratios; exits 1 when the trend takes more than three floors or its
// memory grows with the records.
#include "spectrum/diagnosis/synth.h"
#include "spectrum/series/series.h"

#include "platform/atomic_file.h"

#include <fftw3.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>

namespace {

using namespace orbistan;
using Clock = std::chrono::steady_clock;

constexpr double kRate = 20000;
constexpr int kColumns = 4;

SynthSettings bearing() {
    SynthSettings s;
    s.fault = FaultFamily::Outer;
    s.Fr = 33.3, s.Fo = 236.4, s.Fi = 296.9, s.Fw = 139.9, s.Fq = 14.8; // Rexnord ZA-2115
    s.sampleRate = kRate;
    s.seconds = 1;
    s.resonance = 4000;
    return s;
}

std::string recordText(const std::vector<double>& signal, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> noise(0, 0.08);
    std::string text;
    text.reserve(signal.size() * 28);
    char number[32];
    for (const double x : signal) {
        for (int c = 0; c < kColumns; ++c) {
            const double v = c == 0 ? x : noise(random);
            const auto end =
                std::to_chars(number, number + sizeof number, v, std::chars_format::fixed, 3).ptr;
            text.append(number, end);
            text += c + 1 < kColumns ? '\t' : '\n';
        }
    }
    return text;
}

// The series' folder, written once and kept for the next run.
std::filesystem::path seriesFolder(int records) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("orbistan-bench-series-" + std::to_string(records));
    std::error_code ec;
    if (std::filesystem::exists(folder / "done", ec)) {
        return folder;
    }
    std::filesystem::create_directories(folder);
    const SynthSeries series{records, records / 2, 0.01};
    for (int i = 0; i < records; ++i) {
        const std::int64_t t = 1076581959 + std::int64_t(i) * 600;
        std::string name = timeText(t);
        for (char& c : name) {
            c = (c == '-' || c == ' ' || c == ':') ? '.' : c;
        }
        const SynthSettings s = seriesRecord(bearing(), series, i);
        writeFileAtomically(folder / name, recordText(synthesize(s), s.seed));
    }
    writeFileAtomically(folder / "done", "");
    std::filesystem::remove(folder / "done.tmp", ec);
    return folder;
}

// The floor: each record's bytes read and every number parsed, and one real FFT of its first
// channel, the records shared among the threads as the trend shares them.
double floorSeconds(const std::vector<SeriesEntry>& entries, unsigned threads) {
    std::atomic<std::size_t> next = 0;
    std::mutex planning;
    const auto start = Clock::now();
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (std::size_t i; (i = next++) < entries.size();) {
                std::ifstream in(entries[i].path, std::ios::binary);
                const std::string bytes((std::istreambuf_iterator<char>(in)), {});
                std::vector<double> first;
                const char* p = bytes.data();
                const char* end = p + bytes.size();
                for (int column = 0; p < end;) {
                    double v = 0;
                    const auto [stop, ec] = std::from_chars(p, end, v);
                    if (ec != std::errc{}) {
                        ++p;
                        continue;
                    }
                    if (column == 0) {
                        first.push_back(v);
                    }
                    column = *stop == '\n' ? 0 : column + 1;
                    p = stop + 1;
                }
                const int n = static_cast<int>(first.size());
                std::vector<fftw_complex> out(static_cast<std::size_t>(n / 2 + 1));
                fftw_plan plan;
                {
                    const std::lock_guard lock(planning);
                    plan = fftw_plan_dft_r2c_1d(n, first.data(), out.data(), FFTW_ESTIMATE);
                }
                fftw_execute(plan);
                const std::lock_guard lock(planning);
                fftw_destroy_plan(plan);
            }
        });
    }
    for (std::thread& w : workers) {
        w.join();
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

SeriesSettings settings() {
    const SynthSettings b = bearing();
    SeriesSettings s;
    s.bases = {b.Fo, b.Fi, b.Fw, b.Fq, b.Fr};
    s.source.rate = kRate;
    return s;
}

double trendSeconds(const std::vector<SeriesEntry>& entries, unsigned threads,
                    std::size_t& flagged) {
    const auto start = Clock::now();
    // Each row handed on and let go, as the command line writes it: only the run of records
    // with the outer race flagged is counted (firstFlagged's rule, three in a row).
    std::size_t handed = 0, run = 0;
    flagged = entries.size();
    runSeries(
        entries, settings(),
        [&](SeriesRow&& row) {
            run = row.families[0].verdict >= Verdict::Weak ? run + 1 : 0;
            if (run == 3 && flagged == entries.size()) {
                flagged = handed - 2;
            }
            ++handed;
        },
        {}, threads);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The peak resident memory since it was last reset, in MB.
double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return 0;
}

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    const std::vector<SeriesEntry> all = seriesEntries({seriesFolder(records)});
    const std::vector<SeriesEntry> tenth(all.begin(), all.begin() + all.size() / 10);
    std::vector<SeriesEntry> entries;
    for (const SeriesEntry& e : all) {
        if (e.path.filename() != "done") {
            entries.push_back(e);
        }
    }
    floorSeconds(tenth, threads); // the files' pages and FFTW's wisdom warmed alike
    const double floor = floorSeconds(entries, threads);
    std::size_t flagged = 0;
    resetPeak();
    trendSeconds(tenth, threads, flagged);
    const double tenthPeak = peakMegabytes();
    resetPeak();
    const double trend = trendSeconds(entries, threads, flagged);
    const double wholePeak = peakMegabytes();
    const double ratio = trend / floor;
    std::printf("records %zu, threads %u\n", entries.size(), threads);
    std::printf("floor (read every number, one FFT each): %.2f s, %.2f ms a record\n", floor,
                1000 * floor / entries.size());
    std::printf("trend: %.2f s, %.2f ms a record: %.2f floors (limit 3)\n", trend,
                1000 * trend / entries.size(), ratio);
    std::printf("peak memory: %.0f MB over %zu records, %.0f MB over %zu (limit: +10 %%)\n",
                tenthPeak, tenth.size(), wholePeak, entries.size());
    std::printf("outer race flagged from record %zu (fault from %d)\n", flagged, records / 2);
    return ratio <= 3 && wholePeak <= 1.1 * tenthPeak ? 0 : 1;
}
