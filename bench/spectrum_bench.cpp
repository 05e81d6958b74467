// Opening a 10-second 48 kHz one-channel WAV as a spectrum, against the floor of the same
// run: the bare libsndfile read of the record plus one bare FFTW transform of it. And the
// explanation of the 50 highest peaks of a synthetic fault's spectrum. And a narrow span of a
// minute's record, against the bare transform of the record already decimated. And a MATLAB
// file of 20 000 variables opened, against reading its bytes once.
#include "calc/frequencies.h"
#include "platform/atomic_file.h"
#include "spectrum/diagnosis/explain.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/decimate.h"
#include "spectrum/dsp/envelope.h"
#include "spectrum/dsp/transform.h"
#include "spectrum/io/audio.h"
#include "spectrum/io/formats.h"
#include "spectrum/io/mat_file.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>
#include <hdf5.h>
#include <malloc.h>
#include <matio.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using namespace orbistan;

// The frequencies of a 6205 at 1797 rpm.
SynthSettings outerFault(double rate) {
    SynthSettings s;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.sampleRate = rate;
    return s;
}

const std::filesystem::path& record() {
    static const std::filesystem::path path = [] {
        const auto p = std::filesystem::temp_directory_path() / "orbistan-bench-10s-48k.wav";
        writeFileAtomically(p, encodeWav(synthesize(outerFault(48000)), 48000));
        return p;
    }();
    return path;
}

void BM_FloorBareReadAndTransform(benchmark::State& st) {
    for (auto _ : st) {
        SF_INFO info{};
        SNDFILE* f = sf_open(record().c_str(), SFM_READ, &info);
        std::vector<double> x(static_cast<std::size_t>(info.frames));
        sf_readf_double(f, x.data(), info.frames);
        sf_close(f);
        const int n = static_cast<int>(x.size());
        auto* out = fftw_alloc_complex(static_cast<std::size_t>(n / 2 + 1));
        fftw_plan plan = fftw_plan_dft_r2c_1d(n, x.data(), out, FFTW_ESTIMATE);
        fftw_execute(plan);
        benchmark::DoNotOptimize(out[1][0]);
        fftw_destroy_plan(plan);
        fftw_free(out);
    }
}
BENCHMARK(BM_FloorBareReadAndTransform)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole record in one transform, as the floor does it; then the analyser's usual 3200
// lines averaged over overlapping segments.
void BM_OpenWaveformAsSpectrum(benchmark::State& st) {
    const TransformSettings settings{WindowKind::Hann, static_cast<int>(st.range(0))};
    for (auto _ : st) {
        benchmark::DoNotOptimize(openSpectrumFile(record(), 0, settings).spectrum->amplitude[1]);
    }
}
BENCHMARK(BM_OpenWaveformAsSpectrum)
    ->Arg(0)
    ->Arg(3200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Explain50HighestPeaks(benchmark::State& st) {
    const Spectrum s = *openSpectrumFile(record(), 0, {}).spectrum;
    const std::vector<Peak> peaks = findPeaks(s, 50);
    const SynthSettings b = outerFault(48000);
    for (auto _ : st) {
        benchmark::DoNotOptimize(explainPeaks(peaks, {b.Fo, b.Fi, b.Fw, b.Fq, b.Fr},
                                              {0, 1, 1, 10, 1000}, 1, s.resolution));
    }
}
BENCHMARK(BM_Explain50HighestPeaks)->Unit(benchmark::kMillisecond);

const std::vector<double>& samples() {
    static const std::vector<double> x = synthesize(outerFault(48000));
    return x;
}

// The floor of the envelope: one forward and one inverse transform of the record's length.
void BM_FloorForwardAndInverse(benchmark::State& st) {
    const std::vector<double>& x = samples();
    const int n = static_cast<int>(x.size());
    for (auto _ : st) {
        double* in = fftw_alloc_real(x.size());
        fftw_complex* lines = fftw_alloc_complex(x.size());
        fftw_complex* back = fftw_alloc_complex(x.size());
        std::copy(x.begin(), x.end(), in);
        fftw_plan forward = fftw_plan_dft_r2c_1d(n, in, lines, FFTW_ESTIMATE);
        fftw_plan inverse = fftw_plan_dft_1d(n, lines, back, FFTW_BACKWARD, FFTW_ESTIMATE);
        fftw_execute(forward);
        std::fill(lines[0] + 2 * (n / 2 + 1), lines[0] + 2 * n, 0.0);
        fftw_execute(inverse);
        benchmark::DoNotOptimize(back[1][0]);
        fftw_destroy_plan(forward);
        fftw_destroy_plan(inverse);
        fftw_free(in);
        fftw_free(lines);
        fftw_free(back);
    }
}
BENCHMARK(BM_FloorForwardAndInverse)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnvelopeSpectrum(benchmark::State& st) {
    for (auto _ : st) {
        benchmark::DoNotOptimize(
            envelopeSpectrum(samples(), 48000, {8000, 12000}, {}).amplitude[1]);
    }
}
BENCHMARK(BM_EnvelopeSpectrum)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SuggestBand(benchmark::State& st) {
    for (auto _ : st) {
        benchmark::DoNotOptimize(suggestBand(samples(), 48000).measure);
    }
}
BENCHMARK(BM_SuggestBand)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- A span narrower than the record's band: 60 seconds at 48 kHz, 3200 lines.

const std::vector<double>& minuteRecord() {
    static const std::vector<double> x = [] {
        SynthSettings s = outerFault(48000);
        s.seconds = 60;
        return synthesize(s);
    }();
    return x;
}

// The floor: the decimated record (made before timing) transformed by bare FFTW as the
// analyser does, Hann segments of 2,56 samples per line overlapping by half, powers summed.
void BM_FloorBareTransformOfDecimated(benchmark::State& st) {
    const std::size_t factor = decimationFactor(48000, static_cast<double>(st.range(0)));
    const std::vector<double> x = decimate(minuteRecord(), factor);
    const std::size_t n = 8192;
    const std::vector<double> w = windowCoefficients(WindowKind::Hann, n);
    double* in = fftw_alloc_real(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), in, out, FFTW_ESTIMATE);
    std::vector<double> power(3201);
    for (auto _ : st) {
        std::fill(power.begin(), power.end(), 0.0);
        for (std::size_t start = 0; start + n <= x.size(); start += n / 2) {
            for (std::size_t i = 0; i < n; ++i) {
                in[i] = x[start + i] * w[i];
            }
            fftw_execute(plan);
            for (std::size_t k = 0; k < power.size(); ++k) {
                power[k] += out[k][0] * out[k][0] + out[k][1] * out[k][1];
            }
        }
        benchmark::DoNotOptimize(power[1]);
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}
BENCHMARK(BM_FloorBareTransformOfDecimated)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole work: filter, decimate, transform.
void BM_SpanOfAMinute(benchmark::State& st) {
    const TransformSettings settings{WindowKind::Hann, 3200, Scaling::Peak,
                                     static_cast<double>(st.range(0))};
    for (auto _ : st) {
        benchmark::DoNotOptimize(amplitudeSpectrum(minuteRecord(), 48000, settings).amplitude[1]);
    }
}
BENCHMARK(BM_SpanOfAMinute)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same fine lines without decimating: segments as long as the lines need at 48 kHz.
void BM_SameLinesWithoutDecimating(benchmark::State& st) {
    const double spacing = 48000.0 / static_cast<double>(decimationFactor(48000, 500)) / 8192;
    const std::size_t n = static_cast<std::size_t>(48000 / spacing);
    for (auto _ : st) {
        benchmark::DoNotOptimize(
            amplitudeSpectrum(std::span(minuteRecord()).first(minuteRecord().size()), 48000,
                              {WindowKind::Hann, static_cast<int>(n * 100 / 256)})
                .amplitude[1]);
    }
}
BENCHMARK(BM_SameLinesWithoutDecimating)->Unit(benchmark::kMillisecond)->UseRealTime();

// A MATLAB file of 20 000 scalars beside one record: opening it against the floor of reading
// its bytes once. Each variable read by name makes matio seek from the file's start, so
// reading every scalar once made the opening grow as their number squared.
const std::filesystem::path& manyVariables() {
    static const std::filesystem::path path = [] {
        const auto p = std::filesystem::temp_directory_path() / "orbistan-bench-20000-vars.mat";
        mat_t* mat = Mat_CreateVer(p.c_str(), nullptr, MAT_FT_MAT5);
        std::vector<double> x(12000);
        for (std::size_t i = 0; i < x.size(); ++i) {
            x[i] = std::sin(0.1 * static_cast<double>(i));
        }
        std::size_t column[2] = {x.size(), 1}, one[2] = {1, 1};
        matvar_t* v =
            Mat_VarCreate("X097_DE_time", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, column, x.data(), 0);
        Mat_VarWrite(mat, v, MAT_COMPRESSION_NONE);
        Mat_VarFree(v);
        for (int i = 0; i < 20000; ++i) {
            double value = i;
            const std::string name = "v" + std::to_string(i);
            matvar_t* s =
                Mat_VarCreate(name.c_str(), MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, &value, 0);
            Mat_VarWrite(mat, s, MAT_COMPRESSION_NONE);
            Mat_VarFree(s);
        }
        Mat_Close(mat);
        return p;
    }();
    return path;
}

// A version 7.3 file of the same: 20 000 scalars beside one record, each with MATLAB's class.
const std::filesystem::path& manyVariables73() {
    static const std::filesystem::path path = [] {
        const auto p = std::filesystem::temp_directory_path() / "orbistan-bench-20000-vars-73.mat";
        const hid_t create = H5Pcreate(H5P_FILE_CREATE);
        H5Pset_userblock(create, 512);
        const hid_t file = H5Fcreate(p.c_str(), H5F_ACC_TRUNC, create, H5P_DEFAULT);
        const hid_t type = H5Tcopy(H5T_C_S1);
        H5Tset_size(type, 6);
        const hid_t scalar = H5Screate(H5S_SCALAR);
        const auto add = [&](const std::string& name, const std::vector<double>& values) {
            const hsize_t dims[2] = {values.size(), 1};
            const hid_t space = H5Screate_simple(2, dims, nullptr);
            const hid_t d = H5Dcreate2(file, name.c_str(), H5T_NATIVE_DOUBLE, space, H5P_DEFAULT,
                                       H5P_DEFAULT, H5P_DEFAULT);
            H5Dwrite(d, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
            const hid_t a = H5Acreate2(d, "MATLAB_class", type, scalar, H5P_DEFAULT, H5P_DEFAULT);
            H5Awrite(a, type, "double");
            H5Aclose(a);
            H5Dclose(d);
            H5Sclose(space);
        };
        std::vector<double> x(12000);
        for (std::size_t i = 0; i < x.size(); ++i) {
            x[i] = std::sin(0.1 * static_cast<double>(i));
        }
        add("X097_DE_time", x);
        for (int i = 0; i < 20000; ++i) {
            add("v" + std::to_string(i), {double(i)});
        }
        H5Sclose(scalar);
        H5Tclose(type);
        H5Fclose(file);
        H5Pclose(create);
        std::string header = "MATLAB 7.3 MAT-file, bench";
        header.resize(124, ' ');
        header += std::string("\x00\x02IM", 4);
        std::fstream(p, std::ios::in | std::ios::out | std::ios::binary).write(header.data(), 128);
        return p;
    }();
    return path;
}

void readBytesOnce(benchmark::State& st, const std::filesystem::path& path) {
    for (auto _ : st) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_FloorReadTheFileOnce(benchmark::State& st) {
    readBytesOnce(st, manyVariables());
}
BENCHMARK(BM_FloorReadTheFileOnce)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ListTwentyThousandVariables(benchmark::State& st) {
    for (auto _ : st) {
        benchmark::DoNotOptimize(listMatVectors(manyVariables()));
    }
}
BENCHMARK(BM_ListTwentyThousandVariables)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenAFileOfTwentyThousandVariables(benchmark::State& st) {
    const std::filesystem::path& path = manyVariables();
    SourceChoice choice;
    choice.rate = 12000;
    for (auto _ : st) {
        benchmark::DoNotOptimize(readSpectrumFile(path, choice));
    }
}
BENCHMARK(BM_OpenAFileOfTwentyThousandVariables)->Unit(benchmark::kMillisecond)->UseRealTime();

// Version 7.3: its floor, and its listing in the child process that reads it.
void BM_FloorReadTheFileOnce73(benchmark::State& st) {
    readBytesOnce(st, manyVariables73());
}
BENCHMARK(BM_FloorReadTheFileOnce73)->Unit(benchmark::kMillisecond)->UseRealTime();

// HDF5's own least: opening the file and every object its links name, nothing read of them.
void BM_FloorOpenEveryObject73(benchmark::State& st) {
    for (auto _ : st) {
        const hid_t file = H5Fopen(manyVariables73().c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
        H5Literate(
            file, H5_INDEX_NAME, H5_ITER_INC, nullptr,
            [](hid_t group, const char* name, const H5L_info_t*, void*) -> herr_t {
                H5Oclose(H5Oopen(group, name, H5P_DEFAULT));
                return 0;
            },
            nullptr);
        H5Fclose(file);
    }
}
BENCHMARK(BM_FloorOpenEveryObject73)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ListTwentyThousandVariables73(benchmark::State& st) {
    for (auto _ : st) {
        benchmark::DoNotOptimize(listMatVectors(manyVariables73()));
    }
}
BENCHMARK(BM_ListTwentyThousandVariables73)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

// The allocator keeps what is freed and hands it out again, whatever it did before: every
// repetition then measures the work and its floor under the same allocation pattern, not
// the kernel zeroing fresh pages for one of them (a record's open would otherwise take 2 000
// page faults to its floor's 30, and its ratio range from 1,1 to 3,8 between runs).
int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, -1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
