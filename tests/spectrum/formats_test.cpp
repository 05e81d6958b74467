// The analysts' file formats, written here as their writers write them and read back: the
// universal file's dataset 58 (ASCII and binary) and MATLAB files (versions 5 and 7.3).
#include "spectrum/io/audio.h"
#include "spectrum/io/formats.h"
#include "spectrum/io/mat_file.h"
#include "spectrum/io/uff.h"

#include "bearing_mat.h"
#include "platform/atomic_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <hdf5.h>
#include <matio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>

namespace orbistan {
namespace {

const std::vector<double> kSamples = {0.5, -1.25, 3e-3, 2, -0.75, 0.125, 1.5};

std::string fixed(const char* format, double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// Records 1 … 11 of a time response sampled at 1 kHz, real double data.
std::string header(const char* dataset, int type, int dataType, std::size_t n) {
    std::string h = "    -1\n" + std::string(dataset) +
                    "\nchannel 1 drive end\nNONE\n"
                    "08-Dec-26 10:00:00\nNONE\nNONE\n";
    char r6[96], r7[96];
    std::snprintf(r6, sizeof r6, "%5d%10d%5d%10d %-10s%10d%4d %-10s%10d%4d\n", type, 1, 1, 0,
                  "NONE", 1, 3, "NONE", 0, 0);
    std::snprintf(r7, sizeof r7, "%10d%10zu%10d%13.5E%13.5E%13.5E\n", dataType, n, 1, 0.0, 1e-3,
                  0.0);
    return h + r6 + r7 +
           "        17    0    0    0 Time                 s                   \n"
           "        12    0    0    0 Acceleration         g                   \n"
           "         0    0    0    0                      NONE                \n"
           "         0    0    0    0                      NONE                \n";
}

std::string asciiUff() {
    std::string s = header("    58", 1, 4, kSamples.size());
    for (std::size_t i = 0; i < kSamples.size(); ++i) {
        s += fixed("%20.12E", kSamples[i]) + ((i % 4 == 3 || i + 1 == kSamples.size()) ? "\n" : "");
    }
    return s + "    -1\n";
}

std::string binaryUff() {
    const std::size_t bytes = kSamples.size() * 4;
    std::string s = header(("   58b     1     2          11" + fixed("%12.0f", double(bytes)) +
                            "     0     0           0           0")
                               .c_str(),
                           1, 2, kSamples.size());
    for (double v : kSamples) {
        const float f = static_cast<float>(v); // little-endian, as this machine
        s.append(reinterpret_cast<const char*>(&f), 4);
    }
    return s + "\n    -1\n";
}

TEST(Uff58, AsciiAndBinaryReadBackTheirSamples) {
    // The last line may lack its line break.
    const std::string ascii = asciiUff(), binary = binaryUff();
    for (const std::string& bytes :
         {ascii, binary, ascii.substr(0, ascii.size() - 1), binary.substr(0, binary.size() - 1)}) {
        ASSERT_TRUE(looksLikeUff(bytes));
        // Another dataset before it is passed over.
        const std::string file = "    -1\n   151\nmodel\n    -1\n" + bytes;
        const std::vector<UffFunction> f = readUff58(file, "x.uff");
        ASSERT_EQ(f.size(), 1u);
        EXPECT_EQ(f[0].functionType, 1);
        EXPECT_DOUBLE_EQ(f[0].abscissaIncrement, 1e-3);
        EXPECT_EQ(f[0].ordinateLabel, "Acceleration");
        EXPECT_EQ(f[0].ordinateUnits, "g");
        ASSERT_EQ(f[0].ordinate.size(), kSamples.size());
        for (std::size_t i = 0; i < kSamples.size(); ++i) {
            EXPECT_FLOAT_EQ(static_cast<float>(f[0].ordinate[i]), static_cast<float>(kSamples[i]));
        }
    }
}

TEST(Uff58, TruncatedAndMalformedFilesSayWhere) {
    const std::string ascii = asciiUff();
    const std::string binary = binaryUff();
    const struct {
        std::string bytes;
        const char* message;
    } cases[] = {
        {ascii.substr(0, ascii.find("NONE\n08-Dec")), "строка 3: набор 58 обрывается в заголовке"},
        {ascii.substr(0, ascii.size() - 40),
         "строка 15: данные обрываются: прочитано 6 чисел из 7"},
        {binary.substr(0, binary.size() - 12), "строка 13: двоичные данные обрываются"},
        {std::string(ascii).replace(ascii.find("  1.250"), 6, "  x.xx"),
         "строка 15: «x.xx0000000000E-01» не число"},
        {"    -1\n    58\n", "строка 2: набор 58 обрывается в заголовке"},
        {"    -1\n   151\nmodel\n    -1\n", "в нём нет набора данных 58"},
    };
    for (const auto& c : cases) {
        try {
            readUff58(c.bytes, "x.uff");
            ADD_FAILURE() << c.message;
        } catch (const SpectrumFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

class MatFiles : public test::TempDirTest {
protected:
    void write(const std::filesystem::path& path, mat_ft version) {
        ASSERT_TRUE(
            test::writeBearingMat(path, kSamples, std::vector<double>(3, 1.0), 1797, version));
    }
};

// ---- The table of formats ----------------------------------------------------------------

// A time response, then a spectrum of the same samples: two datasets to choose from.
std::string twoDatasetUff() {
    std::string spectrum = header("    58", 12, 4, kSamples.size());
    for (std::size_t i = 0; i < kSamples.size(); ++i) {
        spectrum += fixed("%20.12E", std::abs(kSamples[i])) + (i % 4 == 3 ? "\n" : "");
    }
    return asciiUff() + spectrum + "\n    -1\n";
}

class FormatTable : public test::TempDirTest {
protected:
    std::filesystem::path write(const std::string& name, const std::string& bytes) {
        const auto path = dir_ / name;
        EXPECT_EQ(writeFileAtomically(path, bytes), 0);
        return path;
    }
};

// Each file goes to the format its first bytes say, whatever its name; a name alone decides
// only where the bytes say nothing.
TEST_F(FormatTable, SniffsByContentsInOrder) {
    const std::string wav = encodeWav(kSamples, 1000);
    const struct {
        const char* name;
        std::string bytes;
        const char* format;
    } cases[] = {
        {"a.uff", asciiUff(), "uff"},
        {"a.txt", asciiUff(), "uff"},
        {"a.wav", wav, "audio"},
        {"a.dat", wav, "audio"},
        {"a.csv", "1;2\n2;3\n3;4\n", "text"},
        {"a.flac", "1;2\n", "audio"},
        {"a.mat", "1;2\n", "matlab"},
        {"b.bin", "MATLAB 5.0 MAT-file", "matlab"},
        {"b.unv", "1;2\n", "text"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatOf(write(c.name, c.bytes)).key, c.format) << c.name;
    }
    std::vector<std::string> order;
    for (const FileFormat* f : fileFormats()) {
        order.push_back(f->key);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"matlab", "uff", "audio", "text"}));
    EXPECT_THROW(formatOf(dir_), SpectrumFileError);
}

// The dialog's filter lists every format's extensions, all of them first.
TEST_F(FormatTable, FileDialogFilterListsEveryExtension) {
    const std::string filter = fileDialogFilter();
    EXPECT_TRUE(filter.starts_with("Все поддерживаемые (*.mat *.uff *.unv ")) << filter;
    for (const char* pattern : {"*.wav", "*.flac", "*.csv", "*.txt", "*.asc"}) {
        EXPECT_NE(filter.find(pattern), std::string::npos) << pattern;
    }
    EXPECT_NE(filter.find(";;Файлы MATLAB (*.mat);;Универсальные файлы 58 (*.uff *.unv);;"),
              std::string::npos)
        << filter;
    EXPECT_TRUE(filter.ends_with(";;Все файлы (*)"));
    EXPECT_EQ(filter.find("*.mat", filter.find("Звуковые")), std::string::npos); // MATLAB's own
}

// A universal file's datasets are sources like a recording's channels: the second is read
// when chosen, and a time response in g keeps its unit through the transform.
TEST_F(FormatTable, UniversalFileOffersItsDatasetsAndKeepsTheirUnit) {
    const auto path = write("two.uff", twoDatasetUff());
    const FileContents first = openSpectrumFile(path, {}, {WindowKind::Hann, 0, Scaling::Peak});
    EXPECT_EQ(first.sourceKind, SourceKind::Dataset);
    EXPECT_EQ(first.sources,
              (std::vector<std::string>{"1: channel 1 drive end", "2: channel 1 drive end"}));
    ASSERT_TRUE(first.record);
    EXPECT_EQ(first.record->units.unit, Unit::G);
    EXPECT_EQ(amplitudeCaption(first.spectrum->units), "Ускорение, пик, g");
    ASSERT_TRUE(toVelocity(*first.spectrum));

    const FileContents second = openSpectrumFile(path, 1, {});
    EXPECT_EQ(second.source, 1);
    EXPECT_FALSE(second.record);
    ASSERT_TRUE(second.spectrum);
    EXPECT_EQ(second.spectrum->amplitude.size(), kSamples.size());
    EXPECT_EQ(amplitudeCaption(second.spectrum->units), "Acceleration, g");
    try {
        openSpectrumFile(path, 2, {});
        ADD_FAILURE() << "a third dataset read";
    } catch (const SpectrumFileError& e) {
        EXPECT_STREQ(e.what(), "Файл «two.uff»: в нём нет набора 58 номер 3");
    }
}

// An audio file's channels are its sources; without a choice the first is read.
TEST_F(FormatTable, AudioOffersItsChannels) {
    const FileContents c = readSpectrumFile(write("one.wav", encodeWav(kSamples, 1000)), {});
    EXPECT_EQ(c.format, "audio");
    EXPECT_EQ(c.sourceKind, SourceKind::Channel);
    EXPECT_EQ(c.sources, std::vector<std::string>{"1"});
    EXPECT_EQ(c.record->units.unit, Unit::Unknown);
    EXPECT_THROW(readSpectrumFile(dir_ / "one.wav", 1), SpectrumFileError);
}

// The bearing dataset's layout: the drive-end record is chosen, the RPM taken along.
TEST_F(MatFiles, Version5And73ReadTheDriveEndRecordAndTheSpeed) {
    for (const mat_ft version : {MAT_FT_MAT5, MAT_FT_MAT73}) {
        const auto path = dir_ / (version == MAT_FT_MAT5 ? "97.mat" : "97-73.mat");
        write(path, version);
        const std::optional<std::vector<MatVector>> vectors = listMatVectors(path);
        ASSERT_TRUE(vectors);
        EXPECT_EQ(vectors->size(), 3u);
        const FileContents r = readSpectrumFile(path, {});
        ASSERT_TRUE(r.record);
        EXPECT_EQ(r.format, "matlab");
        EXPECT_EQ(r.record->samples, kSamples);
        EXPECT_EQ(r.record->sampleRate, kDefaultMatSampleRate);
        EXPECT_EQ(r.shaftRpm, 1797);
        EXPECT_EQ(r.sources.at(static_cast<std::size_t>(r.source)), "X097_DE_time");
        std::vector<std::string> records = r.sources; // HDF5 lists them by name
        std::sort(records.begin(), records.end());
        EXPECT_EQ(records, (std::vector<std::string>{"X097_DE_time", "X097_FE_time"}));
        EXPECT_EQ(readSpectrumFile(path, {0, "X097_FE_time"}).record->samples.size(), 3u);
        // The chooser's index names a record as the variable's name does.
        const int fe = static_cast<int>(std::find(records.begin(), records.end(), "X097_FE_time") -
                                        records.begin());
        const FileContents byIndex = readSpectrumFile(path, fe == 0 ? 0 : 1);
        EXPECT_EQ(byIndex.sources.at(static_cast<std::size_t>(byIndex.source)),
                  r.sources.at(static_cast<std::size_t>(fe == 0 ? 0 : 1)));
        // A scalar is no record: its spectrum is refused, naming the file.
        try {
            openSpectrumFile(path, {0, "X097RPM"}, {});
            ADD_FAILURE() << "a scalar opened";
        } catch (const SpectrumFileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Файл «" + path.filename().string() + "»: ", 0),
                      0u)
                << e.what();
        }
        EXPECT_THROW(readSpectrumFile(path, {0, "X098_DE_time"}), SpectrumFileError);
        EXPECT_THROW(readSpectrumFile(path, 2), SpectrumFileError);
    }
    // Cut anywhere, a file is refused with a message or gives a variable whole, never a
    // variable read half.
    const std::string bytes = readDataFile(dir_ / "97.mat", 1 << 20).bytes;
    int refused = 0;
    for (std::size_t cut = 0; cut < bytes.size(); cut += 5) {
        ASSERT_EQ(writeFileAtomically(dir_ / "cut.mat", bytes.substr(0, cut)), 0);
        try {
            const FileContents r = readSpectrumFile(dir_ / "cut.mat", {});
            ASSERT_TRUE(r.record) << cut;
            EXPECT_TRUE(r.record->samples == kSamples ||
                        r.record->samples == std::vector<double>(3, 1.0))
                << cut;
        } catch (const SpectrumFileError&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

} // namespace
} // namespace orbistan

namespace orbistan {
namespace {

class MatLayouts : public test::TempDirTest {};

// The vectors a version 5 file lists (from the walk that checks its layout, not matio's own
// listing): real numeric vectors at the top and in 1×1 structs, of any class, compressed or
// not; not a matrix, a complex vector, a cell's contents or the fields of a struct array.
TEST_F(MatLayouts, Version5ListsTheVectorsMatioWouldRead) {
    const auto path = dir_ / "kinds.mat";
    mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, MAT_FT_MAT5);
    ASSERT_NE(mat, nullptr);
    std::vector<double> x(6, 1.0), im(6, 2.0);
    std::vector<std::int16_t> shorts(4, 3);
    std::size_t row[2] = {1, 6}, column[2] = {4, 1}, square[2] = {2, 3}, one[2] = {1, 1},
                two[2] = {1, 2};
    const auto put = [&](matvar_t* v, matio_compression z = MAT_COMPRESSION_NONE) {
        ASSERT_EQ(Mat_VarWrite(mat, v, z), 0);
        Mat_VarFree(v);
    };
    put(Mat_VarCreate("row", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, row, x.data(), 0));
    put(Mat_VarCreate("shorts", MAT_C_INT16, MAT_T_INT16, 2, column, shorts.data(), 0),
        MAT_COMPRESSION_ZLIB);
    put(Mat_VarCreate("matrix", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, square, x.data(), 0));
    mat_complex_split_t z{x.data(), im.data()};
    put(Mat_VarCreate("complex", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, row, &z, MAT_F_COMPLEX));
    matvar_t* cell = Mat_VarCreate("cell", MAT_C_CELL, MAT_T_CELL, 2, one, nullptr, 0);
    Mat_VarSetCell(cell, 0,
                   Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, row, x.data(), 0));
    put(cell);
    const char* fields[] = {"a"};
    matvar_t* array = Mat_VarCreateStruct("array", 2, two, fields, 1);
    for (int i = 0; i < 2; ++i) {
        Mat_VarSetStructFieldByName(
            array, "a", i, Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, row, x.data(), 0));
    }
    put(array);
    matvar_t* single = Mat_VarCreateStruct("single", 2, one, fields, 1);
    Mat_VarSetStructFieldByName(
        single, "a", 0, Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, column, x.data(), 0));
    put(single, MAT_COMPRESSION_ZLIB);
    Mat_Close(mat);

    const std::optional<std::vector<MatVector>> vectors = listMatVectors(path);
    ASSERT_TRUE(vectors);
    std::vector<std::pair<std::string, std::size_t>> listed;
    for (const MatVector& v : *vectors) {
        listed.emplace_back(v.name, v.length);
    }
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, std::size_t>>{
                          {"row", 6}, {"shorts", 4}, {"single.a", 4}}));
    EXPECT_EQ(readSpectrumFile(path, {0, "shorts"}).record->samples, std::vector<double>(4, 3));
    EXPECT_EQ(readSpectrumFile(path, {0, "single.a"}).record->samples, std::vector<double>(4, 1.0));
}

// The public bearing data's other layout: a struct whose fields are the record, its rate
// and the shaft's rate in Hz; a nested struct is named by its path.
TEST_F(MatLayouts, StructFieldsAreRecordsWithTheirRateAndSpeed) {
    for (const mat_ft version : {MAT_FT_MAT5, MAT_FT_MAT73}) {
        const auto path = dir_ / (version == MAT_FT_MAT5 ? "mfpt.mat" : "mfpt-73.mat");
        mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, version);
        ASSERT_NE(mat, nullptr);
        std::size_t column[2] = {kSamples.size(), 1}, one[2] = {1, 1};
        std::vector<double> gs = kSamples;
        double sr = 48828, rate = 25;
        const char* fields[] = {"gs", "sr", "rate", "inner"};
        matvar_t* bearing = Mat_VarCreateStruct("bearing", 2, one, fields, 4);
        Mat_VarSetStructFieldByName(
            bearing, "gs", 0,
            Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, column, gs.data(), 0));
        Mat_VarSetStructFieldByName(
            bearing, "sr", 0, Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, &sr, 0));
        Mat_VarSetStructFieldByName(
            bearing, "rate", 0,
            Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, &rate, 0));
        const char* innerFields[] = {"x"};
        matvar_t* inner = Mat_VarCreateStruct(nullptr, 2, one, innerFields, 1);
        std::vector<double> x(3, 1.0);
        std::size_t three[2] = {1, 3};
        Mat_VarSetStructFieldByName(
            inner, "x", 0,
            Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, three, x.data(), 0));
        Mat_VarSetStructFieldByName(bearing, "inner", 0, inner);
        ASSERT_EQ(Mat_VarWrite(mat, bearing, MAT_COMPRESSION_ZLIB), 0);
        Mat_VarFree(bearing);
        Mat_Close(mat);

        const FileContents c = readSpectrumFile(path, {});
        EXPECT_EQ(c.sources, (std::vector<std::string>{"bearing.gs", "bearing.inner.x"}));
        ASSERT_TRUE(c.record);
        EXPECT_EQ(c.record->samples, kSamples);
        EXPECT_EQ(c.record->sampleRate, 48828);
        EXPECT_EQ(c.statedRate, 48828);
        EXPECT_EQ(c.shaftRpm, 25 * 60);
        EXPECT_EQ(readSpectrumFile(path, {0, "bearing.inner.x"}).record->samples, x);
        EXPECT_EQ(readSpectrumFile(path, 1).record->samples, x);
    }
}

// Version 4 files have no tagged elements: they are read, not refused as cut.
TEST_F(MatLayouts, Version4IsRead) {
    ASSERT_TRUE(test::writeBearingMat(dir_ / "v4.mat", kSamples, {1, 2, 3}, 1797, MAT_FT_MAT4));
    const FileContents c = readSpectrumFile(dir_ / "v4.mat", {});
    ASSERT_TRUE(c.record);
    EXPECT_EQ(c.record->samples, kSamples);
    EXPECT_FALSE(c.statedRate);
}

// A rate given wins over the file's, a rate for files that state none applies to those only,
// and a rate outside 1 Hz … 10 MHz is refused naming the file and the rate.
TEST_F(MatLayouts, RatesGivenAssumedAndRefused) {
    ASSERT_TRUE(test::writeBearingMat(dir_ / "cw.mat", kSamples, {1, 2, 3}, 1797));
    ASSERT_EQ(writeFileAtomically(dir_ / "a.wav", encodeWav(kSamples, 8000)), 0);
    SourceChoice assumed;
    assumed.assumedRates = {{"matlab", 48000}, {"audio", 11025}};
    EXPECT_EQ(readSpectrumFile(dir_ / "cw.mat", assumed).record->sampleRate, 48000);
    EXPECT_EQ(readSpectrumFile(dir_ / "a.wav", assumed).record->sampleRate, 8000);
    SourceChoice given = assumed;
    given.rate = 96000;
    EXPECT_EQ(readSpectrumFile(dir_ / "a.wav", given).record->sampleRate, 96000);
    EXPECT_EQ(readSpectrumFile(dir_ / "a.wav", given).statedRate, 8000);
    for (const double bad : {0.5, 2e7, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()}) {
        SourceChoice c;
        c.rate = bad;
        try {
            readSpectrumFile(dir_ / "a.wav", c);
            ADD_FAILURE() << bad;
        } catch (const SpectrumFileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Файл «a.wav»: частота дискретизации ", 0), 0u)
                << e.what();
        }
    }
}

// HDF5 written by other tools lacks MATLAB's class attribute: the file is refused saying so,
// never as one without a numeric vector.
TEST(MatVersion73, DatasetsWithoutMatlabsClassAreRefusedSayingSo) {
    try {
        readSpectrumFile(std::string(ORBISTAN_TEST_DATA) + "/plain73.mat", {});
        ADD_FAILURE() << "read";
    } catch (const SpectrumFileError& e) {
        EXPECT_STREQ(e.what(), "Файл «plain73.mat»: его наборы данных HDF5 записаны без класса "
                               "MATLAB (файл версии 7.3 не из MATLAB): сохраните их из MATLAB");
    }
}

// A matrix whose dimensions promise more values than its data holds is refused before a
// value is used: matio would fill the rest from whatever memory held.
TEST_F(MatLayouts, AMatrixShorterThanItsDimensionsIsRefused) {
    const std::vector<double> sixteen(16, 0.5);
    ASSERT_TRUE(test::writeBearingMat(dir_ / "ok.mat", sixteen, sixteen, 1797));
    std::string bytes = readDataFile(dir_ / "ok.mat", 1 << 20).bytes;
    // The first matrix's dimensions follow the header, its tag, its flags and their tag.
    const std::uint32_t rows = 1000;
    ASSERT_EQ(bytes.substr(160, 4), std::string("\x10\0\0\0", 4));
    bytes.replace(160, 4, reinterpret_cast<const char*>(&rows), 4);
    ASSERT_EQ(writeFileAtomically(dir_ / "short.mat", bytes), 0);
    try {
        readSpectrumFile(dir_ / "short.mat", {});
        ADD_FAILURE() << "read";
    } catch (const SpectrumFileError& e) {
        EXPECT_STREQ(e.what(), "Файл «short.mat»: переменная «X097_FE_time»: её размеры "
                               "обещают 1000 значений, а в файле их 16");
    }
}

// Version 4 files in every numeric type they can hold read back their values.
TEST_F(MatLayouts, Version4ReadsEveryNumericType) {
    const std::vector<double> values = {1, 2, 3, 250};
    for (const auto& [klass, type] :
         {std::pair{MAT_C_DOUBLE, MAT_T_DOUBLE}, std::pair{MAT_C_SINGLE, MAT_T_SINGLE},
          std::pair{MAT_C_INT32, MAT_T_INT32}, std::pair{MAT_C_INT16, MAT_T_INT16},
          std::pair{MAT_C_UINT16, MAT_T_UINT16}, std::pair{MAT_C_UINT8, MAT_T_UINT8}}) {
        const auto path = dir_ / ("v4-" + std::to_string(klass) + ".mat");
        mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, MAT_FT_MAT4);
        ASSERT_NE(mat, nullptr);
        std::vector<unsigned char> data(values.size() * 8);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double v = values[i];
            switch (type) {
            case MAT_T_DOUBLE:
                reinterpret_cast<double*>(data.data())[i] = v;
                break;
            case MAT_T_SINGLE:
                reinterpret_cast<float*>(data.data())[i] = static_cast<float>(v);
                break;
            case MAT_T_INT32:
                reinterpret_cast<std::int32_t*>(data.data())[i] = static_cast<std::int32_t>(v);
                break;
            case MAT_T_INT16:
                reinterpret_cast<std::int16_t*>(data.data())[i] = static_cast<std::int16_t>(v);
                break;
            case MAT_T_UINT16:
                reinterpret_cast<std::uint16_t*>(data.data())[i] = static_cast<std::uint16_t>(v);
                break;
            default:
                data[i] = static_cast<unsigned char>(v);
                break;
            }
        }
        std::size_t dims[2] = {values.size(), 1};
        matvar_t* v = Mat_VarCreate("x", klass, type, 2, dims, data.data(), 0);
        ASSERT_EQ(Mat_VarWrite(mat, v, MAT_COMPRESSION_NONE), 0) << klass;
        Mat_VarFree(v);
        Mat_Close(mat);
        const FileContents c = readSpectrumFile(path, {});
        ASSERT_TRUE(c.record) << klass;
        EXPECT_EQ(c.record->samples, values) << klass;
    }
}

// A MATLAB record with one scalar beside it.
void writeWithScalar(const std::filesystem::path& path, const char* scalar, double value) {
    mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, MAT_FT_MAT5);
    std::vector<double> x = kSamples;
    std::size_t column[2] = {x.size(), 1}, one[2] = {1, 1};
    for (auto [name, dims, data] :
         {std::tuple{"X1_DE_time", column, x.data()}, std::tuple{scalar, one, &value}}) {
        matvar_t* v = Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, data, 0);
        Mat_VarWrite(mat, v, MAT_COMPRESSION_NONE);
        Mat_VarFree(v);
    }
    Mat_Close(mat);
}

// Values no measurement gives are refused with the file and the value named, before any
// transform or statistic could overflow or run away on them.
// A loop of links and a folder that may not be entered are said as what they are, not as a
// missing file.
TEST_F(FormatTable, LoopsAndLockedFoldersAreNotMissingFiles) {
    std::filesystem::create_symlink(dir_ / "loop.csv", dir_ / "loop.csv");
    try {
        openSpectrumFile(dir_ / "loop.csv", {}, {});
        ADD_FAILURE() << "opened";
    } catch (const SpectrumFileError& e) {
        EXPECT_STREQ(e.what(), "Файл «loop.csv»: ссылки на него ведут по кругу");
    }
    if (geteuid() == 0) {
        GTEST_SKIP() << "a folder's permissions do not stop root";
    }
    std::filesystem::create_directories(dir_ / "locked");
    ASSERT_EQ(writeFileAtomically(dir_ / "locked" / "s.csv", "1;1\n2;2\n3;1\n"), 0);
    std::filesystem::permissions(dir_ / "locked", std::filesystem::perms::none);
    try {
        openSpectrumFile(dir_ / "locked" / "s.csv", {}, {});
        ADD_FAILURE() << "opened";
    } catch (const SpectrumFileError& e) {
        EXPECT_STREQ(e.what(), "Файл «s.csv»: нет доступа к папке, в которой он лежит");
    }
    std::filesystem::permissions(dir_ / "locked", std::filesystem::perms::owner_all);
}

// A version 7.3 file made by matio with one record, then changed through HDF5 as a crafted
// file would be.
void writeMat73(const std::filesystem::path& path, const std::function<void(hid_t)>& change) {
    mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, MAT_FT_MAT73);
    std::vector<double> x = kSamples;
    std::size_t column[2] = {x.size(), 1};
    matvar_t* v = Mat_VarCreate("X097_DE_time", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, column, x.data(), 0);
    Mat_VarWrite(mat, v, MAT_COMPRESSION_NONE);
    Mat_VarFree(v);
    Mat_Close(mat);
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDWR, H5P_DEFAULT);
    ASSERT_GE(file, 0);
    change(file);
    H5Fclose(file);
}

// A dataset of doubles at the file's root, with the creation properties given, never written.
void addDataset(hid_t file, const char* name, hsize_t count, hid_t plist) {
    const hid_t space = H5Screate_simple(1, &count, nullptr);
    const hid_t d =
        H5Dcreate2(file, name, H5T_NATIVE_DOUBLE, space, H5P_DEFAULT, plist, H5P_DEFAULT);
    EXPECT_GE(d, 0) << name;
    H5Dclose(d);
    H5Sclose(space);
}

// What would make HDF5 read beyond the file (another file, a FIFO that never answers) or
// hand back fill values as data is refused before matio opens the file, at once.
TEST_F(MatLayouts, Version73ObjectsThatReachOutsideOrHoldNothingAreRefused) {
    ASSERT_EQ(mkfifo((dir_ / "pipe.mat").c_str(), 0644), 0);
    const std::string pipe = (dir_ / "pipe.mat").string();
    const struct {
        const char* file;
        std::function<void(hid_t)> change;
        const char* message;
    } cases[] = {
        {"external.mat",
         [&pipe](hid_t f) {
             H5Lcreate_external(pipe.c_str(), "/X097_DE_time", f, "X098_DE_time", H5P_DEFAULT,
                                H5P_DEFAULT);
         },
         "«X098_DE_time» — ссылка на другой файл (внешняя ссылка HDF5): данные других файлов не "
         "читаются"},
        {"virtual.mat",
         [&pipe](hid_t f) {
             const hsize_t n = 100;
             const hid_t space = H5Screate_simple(1, &n, nullptr);
             const hid_t plist = H5Pcreate(H5P_DATASET_CREATE);
             H5Pset_virtual(plist, space, pipe.c_str(), "/X097_DE_time", space);
             addDataset(f, "X099_DE_time", n, plist);
             H5Pclose(plist);
             H5Sclose(space);
         },
         "«X099_DE_time» — виртуальный набор данных HDF5: его данные в других файлах, а они не "
         "читаются"},
        {"outside.mat",
         [&pipe](hid_t f) {
             const hid_t plist = H5Pcreate(H5P_DATASET_CREATE);
             H5Pset_external(plist, pipe.c_str(), 0, 800);
             addDataset(f, "X100_DE_time", 100, plist);
             H5Pclose(plist);
         },
         "«X100_DE_time» хранит данные во внешнем файле, а он не читается"},
        {"unwritten.mat",
         [](hid_t f) {
             const hid_t plist = H5Pcreate(H5P_DATASET_CREATE);
             const hsize_t chunk = 1 << 16;
             H5Pset_chunk(plist, 1, &chunk);
             addDataset(f, "X101_DE_time", hsize_t(1) << 27, plist);
             H5Pclose(plist);
         },
         "данные «X101_DE_time» не записаны: в файле лишь их размер (134217728 значений)"},
        {"partly.mat",
         [](hid_t f) {
             const hid_t plist = H5Pcreate(H5P_DATASET_CREATE);
             const hsize_t chunk = 1024, count = 4096;
             H5Pset_chunk(plist, 1, &chunk);
             addDataset(f, "X102_DE_time", count, plist);
             H5Pclose(plist);
             // One chunk of four written: the rest would read back as fill values.
             const hid_t d = H5Dopen2(f, "X102_DE_time", H5P_DEFAULT);
             const hid_t space = H5Dget_space(d);
             const hsize_t start = 0;
             H5Sselect_hyperslab(space, H5S_SELECT_SET, &start, nullptr, &chunk, nullptr);
             const hid_t memory = H5Screate_simple(1, &chunk, nullptr);
             const std::vector<double> values(chunk, 1.0);
             H5Dwrite(d, H5T_NATIVE_DOUBLE, memory, space, H5P_DEFAULT, values.data());
             H5Sclose(memory);
             H5Sclose(space);
             H5Dclose(d);
         },
         "данные «X102_DE_time» записаны не все: из 4 частей в файле 1"},
    };
    for (const auto& c : cases) {
        writeMat73(dir_ / c.file, c.change);
        try {
            openSpectrumFile(dir_ / c.file, {0, "X097_DE_time"}, {});
            ADD_FAILURE() << c.file << " opened";
        } catch (const SpectrumFileError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("Файл «") + c.file + "»: " + c.message);
        }
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir_ / "pipe.mat"));
    // The record alone reads, in the same version.
    writeMat73(dir_ / "plain.mat", [](hid_t) {});
    EXPECT_EQ(openSpectrumFile(dir_ / "plain.mat", {0, "X097_DE_time"}, {}).format, "matlab");
}

// A variable's class written in exactly as many bytes as it has letters, padded rather than
// terminated (as h5py writes it for a MATLAB file), is read whole, not as "doubl".
TEST_F(MatLayouts, Version73ClassesPaddedNotTerminatedAreRead) {
    writeMat73(dir_ / "matlab.mat", [](hid_t f) {
        const hsize_t dims[2] = {1, kSamples.size()};
        const hid_t space = H5Screate_simple(2, dims, nullptr);
        const hid_t d = H5Dcreate2(f, "bearing_DE_time", H5T_NATIVE_DOUBLE, space, H5P_DEFAULT,
                                   H5P_DEFAULT, H5P_DEFAULT);
        H5Dwrite(d, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, kSamples.data());
        const hid_t type = H5Tcopy(H5T_C_S1);
        H5Tset_size(type, 6);
        H5Tset_strpad(type, H5T_STR_NULLPAD);
        const hid_t scalar = H5Screate(H5S_SCALAR);
        const hid_t a = H5Acreate2(d, "MATLAB_class", type, scalar, H5P_DEFAULT, H5P_DEFAULT);
        H5Awrite(a, type, "double");
        H5Aclose(a);
        H5Sclose(scalar);
        H5Tclose(type);
        H5Dclose(d);
        H5Sclose(space);
    });
    const FileContents c = openSpectrumFile(dir_ / "matlab.mat", {0, "bearing_DE_time"}, {});
    ASSERT_TRUE(c.record);
    EXPECT_EQ(c.record->samples, kSamples);
}

// Files on which the HDF5 library itself fails (found by the fuzzer): the failure stays in
// the child that reads them, and is said as the file's within a second or so.
TEST(MatVersion73, FilesThatBreakHdf5AreRefusedInTime) {
    const std::filesystem::path crafted = ORBISTAN_CRAFTED73;
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"hdf5_hang.mat", "библиотека HDF5 читала его, не продвигаясь, и была остановлена"},
        // Whether HDF5 trips over it depends on what its heap held before: refused either way.
        {"hdf5_bad_free.mat", nullptr},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        try {
            openSpectrumFile(crafted / c.file, {}, {});
            ADD_FAILURE() << c.file << " opened";
        } catch (const SpectrumFileError& e) {
            const std::string prefix = std::string("Файл «") + c.file + "»: ";
            if (c.message) {
                EXPECT_EQ(std::string(e.what()), prefix + c.message);
            } else {
                EXPECT_TRUE(std::string(e.what()).starts_with(prefix)) << e.what();
            }
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << c.file;
    }
}

TEST_F(MatLayouts, AbsurdValuesAreRefusedNamingThem) {
    const double inf = std::numeric_limits<double>::infinity();
    writeWithScalar(dir_ / "fs-inf.mat", "fs", inf);
    writeWithScalar(dir_ / "fs-tiny.mat", "fs", 5e-324);
    writeWithScalar(dir_ / "fs-over.mat", "fs", std::nextafter(1e7, 2e7));
    writeWithScalar(dir_ / "rpm-inf.mat", "X1RPM", inf);
    writeWithScalar(dir_ / "rpm-huge.mat", "X1RPM", 1e300);
    ASSERT_EQ(writeFileAtomically(dir_ / "loud.wav", encodeWav({0, 1e35, 0, 0}, 8000)), 0);
    const struct {
        std::string file, bytes;
        ProblemKind kind;
        std::string message;
    } cases[] = {
        {"fs-inf.mat", "", ProblemKind::OutOfRange,
         "частота дискретизации inf Гц вне 1 Гц … 10 МГц"},
        {"fs-tiny.mat", "", ProblemKind::OutOfRange,
         "частота дискретизации 5e-324 Гц вне 1 Гц … 10 МГц"},
        // Just over a limit: every digit that tells it from the limit.
        {"fs-over.mat", "", ProblemKind::OutOfRange,
         "частота дискретизации 10000000,000000002 Гц вне 1 Гц … 10 МГц"},
        {"just-over.csv", "1;1\n2;1.0000000000000002e30\n3;1\n", ProblemKind::Damaged,
         "точка 2: амплитуда 1,0000000000000002e+30 — не измеренное значение"},
        {"rpm-inf.mat", "", ProblemKind::OutOfRange,
         "частота вращения inf об/мин вне 1 … 1 000 000"},
        {"rpm-huge.mat", "", ProblemKind::OutOfRange,
         "частота вращения 1e+300 об/мин вне 1 … 1 000 000"},
        {"loud.wav", "", ProblemKind::Damaged,
         "отсчёт 2: 1,0000000409184788e+35 — не измеренное значение"},
        {"big.csv", "1;1\n2;1e307\n3;1\n", ProblemKind::Damaged,
         "точка 2: амплитуда 1e+307 — не измеренное значение"},
        {"far.csv", "1;1\n2;1\n2e7;1\n", ProblemKind::Damaged,
         "точка 3: частота 2e+07 Гц вне 0 … 10 МГц"},
        {"fine.csv", "0;1\n1e-310;1\n2e-310;1\n", ProblemKind::Damaged,
         "линии спектра в среднем через 1e-310 Гц: меньше 1 мкГц"},
        {"missing.csv", "", ProblemKind::Missing, "такого файла нет"},
    };
    for (const auto& c : cases) {
        if (!c.bytes.empty()) {
            ASSERT_EQ(writeFileAtomically(dir_ / c.file, c.bytes), 0);
        }
        try {
            openSpectrumFile(dir_ / c.file, {}, {});
            ADD_FAILURE() << c.file << " opened";
        } catch (const SpectrumFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Файл «" + c.file + "»: " + c.message);
            EXPECT_EQ(e.problem().kind, c.kind) << c.file;
            EXPECT_EQ(e.problem().file, c.file);
            EXPECT_EQ(problemText(e.problem()), e.what());
        }
    }
}

// Names from a file reach a message, a list or a terminal with their control characters
// made visible and in readable text, whatever bytes they hold.
TEST_F(MatLayouts, NamesFromTheFileAreShownVisibly) {
    const auto path = dir_ / "names.mat";
    mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, MAT_FT_MAT5);
    std::vector<double> x = kSamples;
    std::size_t column[2] = {x.size(), 1};
    matvar_t* v =
        Mat_VarCreate("a\x1b]0;x\x07\xC0", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, column, x.data(), 0);
    ASSERT_EQ(Mat_VarWrite(mat, v, MAT_COMPRESSION_NONE), 0);
    Mat_VarFree(v);
    Mat_Close(mat);
    const FileContents c = readSpectrumFile(path, {});
    EXPECT_EQ(c.sources, std::vector<std::string>{"a\\x1b]0;x\\x07А"});
    EXPECT_EQ(c.record->samples, kSamples); // read by the name as the file spells it
    try {
        readSpectrumFile(path, {0, "b\x1b[2J"});
        ADD_FAILURE() << "read";
    } catch (const SpectrumFileError& e) {
        EXPECT_STREQ(e.what(), "Файл «names.mat»: в нём нет числового вектора «b\\x1b[2J»");
    }
}

// A version 4 header's sizes are checked against the file before matio, which would
// allocate what they say (here a name of 2 GB), sees it.
TEST_F(MatLayouts, Version4HeadersPromisingTooMuchAreRefusedFirst) {
    const std::string header("\x00\x00\x00\x00\x40\x00\x00\x01\x00\x00\x00\x00"
                             "\x00\x00\x00\x02\x00\x00\x00\x78\x00\x00\xfe\xff",
                             24);
    ASSERT_EQ(writeFileAtomically(dir_ / "huge.mat", header + std::string(67, 'x')), 0);
    try {
        readSpectrumFile(dir_ / "huge.mat", {});
        ADD_FAILURE() << "read";
    } catch (const SpectrumFileError& e) {
        EXPECT_STREQ(e.what(),
                     "Файл «huge.mat»: файл обрывается: переменная с байта 0 не дописана");
    }
}

// A version 7.3 file cut short is refused from its HDF5 superblock, before HDF5 reads it.
TEST_F(MatLayouts, Version73CutShortIsRefusedFromItsSuperblock) {
    const std::string whole = readDataFile(std::string(ORBISTAN_TEST_DATA) + "/plain73.mat").bytes;
    ASSERT_GT(whole.size(), 1000u);
    const struct {
        std::size_t length;
        std::string message;
    } cases[] = {
        {1000, "файл обрывается: по заголовку HDF5 в нём " + std::to_string(whole.size()) +
                   " байт, а их 1000"},
        {520, "после заголовка MATLAB 7.3 нет данных HDF5"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(writeFileAtomically(dir_ / "cut73.mat", whole.substr(0, c.length)), 0);
        try {
            readSpectrumFile(dir_ / "cut73.mat", {});
            ADD_FAILURE() << c.length;
        } catch (const SpectrumFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Файл «cut73.mat»: " + c.message);
        }
    }
}

} // namespace
} // namespace orbistan

namespace orbistan {
namespace {

// Damaged version 5 files (tests/data/damaged, from tools/make_damaged_mat_fixtures.py)
// whose sizes lie: each is refused from its layout before matio allocates by those sizes or
// hands on values it never read, compressed variables included.
TEST(MatDamaged, SizesThatLieAboutTheBytesAreRefused) {
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"dims_4gb.mat", "переменная с байта 128 повреждена"},
        {"cell_billion.mat", "переменная с байта 128 повреждена"},
        {"struct_billion.mat", "переменная с байта 128 повреждена"},
        {"compressed_short.mat",
         "переменная «x»: её размеры обещают 1000 значений, а в файле их 16"},
        {"compressed_claim.mat", "переменная с байта 128 повреждена"},
        {"compressed_cut.mat", "переменная с байта 128 повреждена"},
        // Dimensions are said as the file has them, never as a capped or wrapped count.
        {"dims_negative.mat", "переменная «x»: её размер -1 отрицателен"},
        {"dims_huge.mat", "переменная «x»: её размеры 2147483647 × 2147483647 обещают больше "
                          "значений, чем вмещает любой файл, а в файле их 16"},
    };
    for (const auto& c : cases) {
        try {
            readSpectrumFile(std::string(ORBISTAN_TEST_DATA) + "/damaged/" + c.file, {});
            ADD_FAILURE() << c.file << " read";
        } catch (const SpectrumFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Файл «" + std::string(c.file) + "»: " + c.message);
        }
    }
}

} // namespace
} // namespace orbistan
