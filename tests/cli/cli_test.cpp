// orbistan-cli driven as a process, as scripts use it.
#include <gtest/gtest.h>

#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "cli_run.h"
#include "platform/atomic_file.h"
#include "spectrum/io/audio.h"
#include "temp_dir.h"

namespace {

std::vector<std::string> geometry(std::string Z, std::string Fr, std::string dw, std::string D,
                                  std::string d, std::string a) {
    return {"compute", "--Z", Z, "--Fr", Fr, "--dw", dw, "--D", D, "--d", d, "--a", a};
}

// The same options under another command.
std::vector<std::string> as(const char* command, std::vector<std::string> v) {
    v[0] = command;
    return v;
}

std::vector<std::string> plus(std::vector<std::string> v, std::vector<std::string> more) {
    v.insert(v.end(), more.begin(), more.end());
    return v;
}

// The command's files (or folders) before its options.
std::vector<std::string> on(std::vector<std::string> v, std::vector<std::string> files) {
    v.insert(v.begin() + 1, files.begin(), files.end());
    return v;
}

TEST(CliCompute, PrintsTheTwentyOneFieldsInOrder) {
    const CliRun r =
        runCli(plus(geometry("9", "25", "7,938", "52", "25", "0"), {"--precision", "100"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "Fo=89,3\nFi=135,7\nFw=58,05\nFq=9,92\nFo*=89,3\nFi*=135,7\nFw*=47,87\n"
                     "Fo+Fq=99,23\nFo-Fq=79,38\nFr+Fq=34,92\nFw+Fr=83,05\nFw-Fr=33,05\n"
                     "Fi+Fr=160,7\nFi-Fr=110,7\nFi+(Fr-Fq)=150,77\nFi-(Fr-Fq)=120,62\n"
                     "Fw+Fq=67,97\nFw-Fq=48,13\nFo+Fr=114,3\nFo-Fr=64,3\nFr-Fq=15,08\n");
}

TEST(CliCompute, DefaultsToNoRoundingAndAcceptsThePoint) {
    const CliRun r = runCli(geometry("9", "25", "7.938", "52", "25", "0"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Fo=89,3045454545455");
}

TEST(CliCompute, TakesMultipliersPerRow) {
    const CliRun r =
        runCli(plus(geometry("9", "25", "7,938", "52", "25", "0"),
                    {"--precision", "100", "--mult", "Fo-Fq=0:1", "--mult", "Fi+(Fr-Fq)=2:0,5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\nFo-Fq=-9,92\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nFi+(Fr-Fq)=278,93\n"), std::string::npos) << r.out;
}

TEST(CliSearch, PrintsEveryHeadingAndItsLines) {
    const CliRun r = runCli(plus(as("search", geometry("9", "25", "7,938", "52", "25", "0")),
                                 {"--precision", "100", "--value", "245,37", "--tolerance", "3"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find("Fr - Fq")),
              "Fo + Fq ( 1 )\n2Fo+7Fq=248,04\nFo - Fq ( 1 )\n3Fo-2Fq=248,06\n"
              "Fr + Fq ( 2 )\n9Fr+2Fq=244,84\n7Fr+7Fq=244,44\n");
    EXPECT_NE(r.out.find("\nFo - Fr ("), std::string::npos);
}

TEST(CliSearch, AppliesDefaultsAndLimits) {
    // An empty tolerance searches exactly; a maximum harmonic of 0 only tests the origin.
    const CliRun r = runCli(plus(as("search", geometry("9", "25", "7,938", "52", "25", "0")),
                                 {"--value", "0", "--tolerance", "", "--max-harmonic", "0"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 37), "Fo + Fq ( 1 )\n0Fo+0Fq=0\nFo - Fq ( 1 )");
    const CliRun half = runCli(plus(as("search", geometry("9", "25", "7,938", "52", "25", "0")),
                                    {"--precision", "100", "--value", "44,65", "--tolerance", "0",
                                     "--step", "0.5", "--max-harmonic", "60"}));
    EXPECT_NE(half.out.find("0,5Fo+0Fq=44,65"), std::string::npos) << half.out;
}

TEST(CliHarmonics, PrintsTheTenCaptions) {
    const CliRun r = runCli(plus(as("harmonics", geometry("9", "25", "7,938", "52", "25", "0")),
                                 {"--precision", "100", "--of", "Fi", "--sub"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "   Fi=135,7\n1/2Fi=67,85\n1/3Fi=45,23\n1/4Fi=33,92\n1/5Fi=27,14\n"
                     "1/6Fi=22,62\n1/7Fi=19,39\n1/8Fi=16,96\n1/9Fi=15,08\n1/10Fi=13,57\n");
    // Fw* = 2·Fr·(1 − (dw/Dm)²) = 50·(1 − (7,938/38,5)²), unrounded.
    const CliRun fq = runCli(
        plus(as("harmonics", geometry("9", "25", "7,938", "52", "25", "0")), {"--of", "Fw*"}));
    EXPECT_EQ(fq.out.substr(0, fq.out.find('\n')), " Fw*=47,874452892562");
}

TEST(CliKey, PrintsTheTrimmedNumberAndItsKey) {
    const CliRun r = runCli({"key", "  6205-2rs  "});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "6205-2rs\n6205%2RS\n");
    EXPECT_EQ(runCli({"key", "шп-204 ё"}).out, "шп-204 ё\nШП%204 ё\n");
}

// A fresh program directory for the base commands.
class CliBase : public orbistan::test::TempDirTest {
protected:
    CliRun run(std::vector<std::string> args) { return runCli(std::move(args), dir_.string()); }
    std::string bytes(const std::string& relative) {
        std::ifstream in(dir_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(CliBase, SaveWritesTheRecordThatShowReads) {
    const CliRun saved =
        run({"base", "save",   "  6205-2rs ", "--Z",    "9",   "--dw",   "7,938",
             "--D",  "52",     "--d",         "25",     "--a", "0",      "--kind",
             "2",    "--rows", "1",           "--load", "2",   "--info", "  Шарик"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(bytes("Basa/Russian/6205%2RS.Dat"),
              " 2.50000000000000E+0001  5.20000000000000E+0001  0.00000000000000E+0000 "
              " 7.93800000000000E+0000  9.00000000000000E+0000 2 1 2 0   \xD8\xE0\xF0\xE8\xEA\r\n");
    const CliRun shown = run({"base", "show", "6205,2RS"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, "d=25\nD=52\na=0\ndw=7,938\nZ=9\nkind=2\nrows=1\nload=2\nshape=0\n"
                         "info=Шарик\n");
    EXPECT_EQ(run({"base", "list"}).out, "6205%2RS\n");
    EXPECT_EQ(run({"base", "list", "--other"}).out, "");
}

TEST_F(CliBase, StandardsAreIndependentAndDeleteRemoves) {
    const std::vector<std::string> values = {"--Z", "9",   "--dw", "7",   "--D",
                                             "52",  "--d", "25",   "--a", "0"};
    std::vector<std::string> other = {"base", "save", "6205"};
    other.insert(other.end(), values.begin(), values.end());
    other.push_back("--other");
    ASSERT_EQ(run(other).status, 0);
    EXPECT_EQ(run({"base", "show", "6205"}).status, 4);
    EXPECT_EQ(run({"base", "show", "6205"}).err, "Данных о таком подшипнике в базе нет\n");
    EXPECT_EQ(run({"base", "show", "6205", "--other"}).status, 0);
    EXPECT_EQ(run({"base", "delete", "6205", "--other"}).status, 0);
    EXPECT_EQ(run({"base", "show", "6205", "--other"}).status, 4);
    EXPECT_EQ(run({"base", "delete", "6205"}).status, 0); // a missing record is not reported
}

TEST_F(CliBase, RefusesWhatTheWindowRefuses) {
    const CliRun range =
        run({"base", "save", "1", "--Z", "9", "--dw", "7", "--D", "25", "--d", "25", "--a", "0"});
    EXPECT_EQ(range.status, 3);
    const CliRun unreadable =
        run({"base", "save", "1", "--Z", "9", "--dw", "x", "--D", "52", "--d", "25", "--a", "0"});
    EXPECT_EQ(unreadable.status, 2);
    const CliRun info = run({"base", "save", "1", "--Z", "9", "--dw", "7", "--D", "52", "--d", "25",
                             "--a", "0", "--info", "日本"});
    EXPECT_EQ(info.status, 4);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Basa/Russian/1.Dat"));
    EXPECT_EQ(run({"base", "save", "1", "--Z", "9"}).status, 1);
    EXPECT_EQ(run({"base", "frobnicate"}).status, 1);
    EXPECT_EQ(run({"base", "save", "1", "--Z", "9", "--dw", "7", "--D", "52", "--d", "25", "--a",
                   "0", "--kind", "x"})
                  .status,
              1);
}

TEST_F(CliBase, UnconvertibleRecordIsReported) {
    std::filesystem::create_directories(dir_ / "Basa/Russian");
    std::ofstream(dir_ / "Basa/Russian/7.Dat") << "25 x 0 7 9 0 0 0 0\r\n";
    const CliRun r = run({"base", "show", "7"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, "Invalid numeric input\n");
}

TEST_F(CliBase, SpecialAndOversizedRecordsAreRefusedAtOnce) {
    std::filesystem::create_directories(dir_ / "Basa/Russian");
    ASSERT_EQ(mkfifo((dir_ / "Basa/Russian/1.Dat").c_str(), 0644), 0); // would hang a reader
    std::filesystem::create_symlink("/dev/zero", dir_ / "Basa/Russian/2.Dat");
    std::ofstream(dir_ / "Basa/Russian/3.Dat") << std::string(2 << 20, '7');
    for (const char* number : {"1", "2"}) {
        const CliRun r = run({"base", "show", number});
        EXPECT_EQ(r.status, 4) << number;
        EXPECT_EQ(r.err, "File access denied\n") << number;
    }
    EXPECT_EQ(run({"base", "show", "3"}).err, "Invalid numeric input\n");
}

TEST_F(CliBase, DeleteThatLeavesTheRecordFails) {
    // A folder in the record's place is never removed, and saying "done" would be false.
    std::filesystem::create_directories(dir_ / "Basa/Russian/6205.Dat/inside");
    const CliRun r = run({"base", "delete", "6205"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, "File access denied\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "Basa/Russian/6205.Dat/inside"));
}

TEST_F(CliBase, ControlCharactersNeverReachTheTerminalOrAPath) {
    std::filesystem::create_directories(dir_ / "Basa/Russian");
    std::ofstream(dir_ / "Basa/Russian/7.Dat") << "25 52 0 7 9 0 0 0 0 \x1b[31mred\x07\r\n";
    std::ofstream(dir_ / "Basa/Russian/\x1b]0;x\x07.Dat") << "25 52 0 7 9 0 0 0 0\r\n";
    const std::string shown = run({"base", "show", "7"}).out;
    EXPECT_EQ(shown.substr(shown.find("info=")), "info=\\x1b[31mred\\x07\n");
    EXPECT_EQ(run({"base", "list"}).out, "\\x1b]0;x\\x07\n7\n"); // sorted by bytes
    for (const char* number : {"62\n05", "\x1b[2J", "62\t05"}) {
        const CliRun key = run({"key", number});
        EXPECT_EQ(key.status, 1);
        EXPECT_NE(key.err.find("Номер подшипника содержит управляющие символы"), std::string::npos);
        EXPECT_EQ(run({"base", "delete", number}).status, 1);
    }
    EXPECT_TRUE(std::filesystem::exists(dir_ / "Basa/Russian/7.Dat"));
}

struct FailCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string err; // exact stderr, or empty to check only that there is a usage line
    friend void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }
};

class CliFailures : public testing::TestWithParam<FailCase> {};

TEST_P(CliFailures, ExitWithTheirStatusAndText) {
    const CliRun r = runCli(GetParam().args);
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    EXPECT_EQ(r.out, "");
    if (GetParam().status == 1) {
        EXPECT_NE(r.err.find("usage: orbistan-cli"), std::string::npos) << r.err;
    } else {
        EXPECT_EQ(r.err, GetParam().err);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliFailures,
    testing::Values(
        FailCase{"no_command", {}, 1, ""}, FailCase{"unknown_command", {"frobnicate"}, 1, ""},
        FailCase{"unknown_option", plus(geometry("9", "25", "7", "52", "25", "0"), {"--x", "1"}), 1,
                 ""},
        FailCase{"missing_value", plus(geometry("9", "25", "7", "52", "25", "0"), {"--precision"}),
                 1, ""},
        FailCase{"missing_option", {"compute", "--Z", "9"}, 1, ""},
        FailCase{"bad_precision",
                 plus(geometry("9", "25", "7", "52", "25", "0"), {"--precision", "10"}), 1, ""},
        FailCase{"bad_row", plus(geometry("9", "25", "7", "52", "25", "0"), {"--mult", "Fx=1:1"}),
                 1, ""},
        FailCase{
            "search_without_value",
            {"search", "--Z", "9", "--Fr", "25", "--dw", "7", "--D", "52", "--d", "25", "--a", "0"},
            1,
            ""},
        FailCase{"search_bad_step",
                 {"search", "--Z", "9", "--Fr", "25", "--dw", "7", "--D", "52", "--d", "25", "--a",
                  "0", "--value", "5", "--step", "2"},
                 1,
                 ""},
        FailCase{"search_unreadable_value",
                 {"search", "--Z", "9", "--Fr", "25", "--dw", "7", "--D", "52", "--d", "25", "--a",
                  "0", "--value", "-2,5"},
                 2,
                 "Вводите данные для расчета правильно \n"},
        FailCase{"harmonics_unknown_name",
                 {"harmonics", "--Z", "9", "--Fr", "25", "--dw", "7", "--D", "52", "--d", "25",
                  "--a", "0", "--of", "Fx"},
                 1,
                 ""},
        FailCase{"harmonics_range",
                 {"harmonics", "--Z", "9", "--Fr", "25", "--dw", "7", "--D", "25", "--d", "25",
                  "--a", "0", "--of", "Fo"},
                 3,
                 "Наружный диаметр подшипника не может быть меньше или равен внутреннему ! ! !\n"},
        FailCase{"unreadable", geometry("9", "25", "-1,5", "52", "25", "0"), 2,
                 "Вводите данные для расчета правильно \n"},
        FailCase{"empty_multiplier",
                 plus(geometry("9", "25", "7", "52", "25", "0"), {"--mult", "Fr-Fq=:1"}), 2,
                 "Вводите данные для расчета правильно \n"},
        FailCase{"overflow", geometry("1e300", "1e300", "1", "3", "1", "0"), 2,
                 "Вводите данные для расчета правильно \n"},
        FailCase{"cyrillic_text", geometry("9", "25", "семь", "52", "25", "0"), 2,
                 "Вводите данные для расчета правильно \n"},
        FailCase{"all_zero", geometry("0", "0", "0", "0", "0", "0"), 3,
                 "Наружный диаметр подшипника не может быть меньше или равен внутреннему ! ! !\n"
                 "Значения Z, f, Dw  , D, d не могут быть меньше или равны нулю ! ! !\n"},
        FailCase{"three_warnings", geometry("9", "25", "0", "20", "25", "-5"), 3,
                 "Наружный диаметр подшипника не может быть меньше или равен внутреннему ! ! !\n"
                 "Угол контакта должен иметь положительно значение ! ! !\n"
                 "Значения Z, f, Dw  , D, d не могут быть меньше или равны нулю ! ! !\n"},
        FailCase{"spectrum_without_file", {"spectrum"}, 1, ""},
        FailCase{"spectrum_bad_window", {"spectrum", "x.wav", "--window", "kaiser"}, 1, ""},
        FailCase{"spectrum_bad_lines", {"spectrum", "x.wav", "--lines", "500"}, 1, ""},
        FailCase{"spectrum_negative_span", {"spectrum", "x.wav", "--span", "-5"}, 1, ""},
        FailCase{"spectrum_wordy_span", {"spectrum", "x.wav", "--span", "wide"}, 1, ""},
        FailCase{"spectrum_bad_averaging", {"spectrum", "x.wav", "--averaging", "66"}, 1, ""},
        // A date that is none is refused before the file (missing: 4 otherwise) is read.
        FailCase{
            "report_bad_measured",
            plus({"report", "/nonexistent/замер.wav", "--out", "r.pdf", "--measured", "31.02.2026"},
                 {"--Z", "9", "--Fr", "25", "--dw", "7,94", "--D", "52", "--d", "25", "--a", "0"}),
            1, ""},
        FailCase{"spectrum_no_averages", {"spectrum", "x.wav", "--averages", "0"}, 1, ""},
        FailCase{"envelope_held",
                 {"envelope", "x.wav", "--band", "auto", "--averaging", "peak-hold"},
                 1,
                 ""},
        FailCase{"spectrum_some_geometry", {"spectrum", "x.wav", "--Z", "9"}, 1, ""},
        FailCase{"spectrum_missing_file",
                 {"spectrum", "/nonexistent/замер.wav"},
                 4,
                 "Файл «замер.wav»: такого файла нет\n"},
        FailCase{"synth_bad_fault",
                 plus(as("synth", geometry("9", "25", "7", "52", "25", "0")),
                      {"--fault", "cage", "--out", "x.wav"}),
                 1, ""},
        FailCase{"synth_resonance_above_nyquist",
                 plus(as("synth", geometry("9", "25", "7", "52", "25", "0")),
                      {"--fault", "outer", "--out", "x.wav", "--resonance", "7000"}),
                 1, ""},
        FailCase{"envelope_without_band", {"envelope", "x.wav"}, 1, ""},
        FailCase{"envelope_bad_band", {"envelope", "x.wav", "--band", "4000:2000"}, 1, ""},
        FailCase{"diagnose_without_geometry", {"diagnose", "x.wav"}, 1, ""},
        FailCase{"bad_scaling", {"spectrum", "x.wav", "--scaling", "db"}, 1, ""},
        FailCase{"bad_method",
                 {"diagnose", "x.wav", "--Z", "9", "--Fr", "25", "--dw", "7", "--D", "52", "--d",
                  "25", "--a", "0", "--method", "kurtogram"},
                 1,
                 ""},
        FailCase{"method_and_whiten",
                 {"diagnose", "x.wav", "--Z", "9", "--Fr", "25", "--dw", "7", "--D", "52", "--d",
                  "25", "--a", "0", "--method", "coherence", "--whiten"},
                 1,
                 ""},
        FailCase{"bad_rate", {"spectrum", "x.wav", "--rate", "fast"}, 1, ""},
        FailCase{
            "diagnose_speed_of_a_missing_file",
            {"diagnose", "x.wav", "--Z", "9", "--dw", "7", "--D", "52", "--d", "25", "--a", "0"},
            4,
            "Файл «x.wav»: такого файла нет\n"},
        FailCase{"bad_slip",
                 {"diagnose", "x.wav", "--Z", "9", "--Fr", "25", "--dw", "7", "--D", "52", "--d",
                  "25", "--a", "0", "--slip", "50"},
                 1,
                 ""},
        FailCase{"rate_out_of_range",
                 {"spectrum", "замер.wav", "--rate", "0,5"},
                 4,
                 "Файл «замер.wav»: частота дискретизации 0,5 Гц вне 1 Гц … 10 МГц\n"},
        FailCase{"bad_unit", {"spectrum", "x.wav", "--unit", "furlong"}, 1, ""},
        FailCase{"empty_unit", {"spectrum", "x.wav", "--unit", ""}, 1, ""},
        FailCase{"synth_unwritable",
                 plus(as("synth", geometry("9", "25", "7", "52", "25", "0")),
                      {"--fault", "outer", "--out", "/nonexistent/x.wav"}),
                 4, "Файл «x.wav»: папки, в которую его пишут, нет\n"}),
    [](const testing::TestParamInfo<FailCase>& info) { return std::string(info.param.name); });

class CliSpectrum : public orbistan::test::TempDirTest {};

// An output that is not a regular file is refused and left as it is, never replaced by
// one; a symbolic link is written through and stays a link.
TEST_F(CliSpectrum, OutputsNeverReplaceWhatIsNotARegularFile) {
    namespace fs = std::filesystem;
    ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0644), 0);
    fs::create_directories(dir_ / "folder");
    fs::create_symlink(dir_ / "pipe", dir_ / "to-pipe");
    fs::create_symlink(dir_ / "loop", dir_ / "loop");
    fs::create_symlink(dir_ / "real.wav", dir_ / "link.wav");
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    const struct {
        const char* out;
        const char* message;
    } refused[] = {
        {"pipe", "Файл «pipe»: это не обычный файл (канал или устройство): записать его нельзя\n"},
        {"to-pipe",
         "Файл «to-pipe»: это не обычный файл (канал или устройство): записать его нельзя\n"},
        {"folder", "Файл «folder»: это папка: записать файл на её место нельзя\n"},
        {"loop", "Файл «loop»: ссылки на него ведут по кругу\n"},
    };
    for (const auto& r : refused) {
        const CliRun run = runCli(
            plus(as("synth", g), {"--fault", "none", "--seconds", "0,1", "--out", dir_ / r.out}));
        EXPECT_EQ(run.status, 4) << r.out;
        EXPECT_EQ(run.err, r.message);
    }
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "to-pipe"));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "folder"), fs::directory_iterator()), 0);

    const CliRun linked = runCli(
        plus(as("synth", g), {"--fault", "none", "--seconds", "0,1", "--out", dir_ / "link.wav"}));
    EXPECT_EQ(linked.status, 0) << linked.err;
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.wav"));
    EXPECT_GT(fs::file_size(dir_ / "real.wav"), 44u);
}

// An option that does not apply to what the file holds is refused, naming the file and the
// option, on every command that reads the file.
TEST_F(CliSpectrum, OptionsThatDoNotApplyAreRefusedNotPassedOver) {
    std::ofstream(dir_ / "s.csv") << "Hz;A\n1;1\n2;2\n3;1\n";
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    const std::string wav = dir_ / "x.wav";
    ASSERT_EQ(
        runCli(plus(as("synth", g), {"--fault", "none", "--seconds", "0,2", "--out", wav})).status,
        0);
    const std::string csv = dir_ / "s.csv";
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"spectrum", csv, "--rate", "1000"},
         "Файл «s.csv»: --rate к нему не относится: в нём спектр, а не запись сигнала"},
        {{"spectrum", csv, "--channel", "3"},
         "Файл «s.csv»: --channel к нему не относится: выбирать в нём нечего"},
        {plus(as("diagnose", g), {"--rate", "1000"}),
         "Файл «s.csv»: --rate к нему не относится: в нём спектр, а не запись сигнала"},
        {{"spectrum", wav, "--variable", "X097_DE_time"},
         "Файл «x.wav»: --variable к нему не относится: переменные есть только в файлах MATLAB"},
        {plus(as("report", g), {"--variable", "X", "--out", dir_ / "r.pdf"}),
         "Файл «x.wav»: --variable к нему не относится: переменные есть только в файлах MATLAB"},
    };
    for (auto c : cases) {
        if (c.args[0] == "diagnose") {
            c.args.insert(c.args.begin() + 1, csv);
        } else if (c.args[0] == "report") {
            c.args.insert(c.args.begin() + 1, wav);
        }
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_EQ(run.err.rfind(std::string("orbistan-cli: ") + c.message + "\n", 0), 0u)
            << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_ / "r.pdf"));
}

// The record's levels about its mean, in its unit; a spectrum has none to give.
TEST_F(CliSpectrum, LevelsAreTheRecordsOwn) {
    std::vector<double> sine(48000);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = 0.1 + 0.5 * std::sin(2 * 3.14159265358979 * 50 * double(i) / 48000);
    }
    const std::string wav = dir_ / "sine.wav";
    std::ofstream(wav, std::ios::binary) << orbistan::encodeWav(sine, 48000);
    const CliRun run = runCli({"levels", wav, "--unit", "g"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    const struct {
        const char* name;
        double value;
        const char* unit;
    } want[] = {{"rms", 0.5 / std::sqrt(2.0), "g"},
                {"peak", 0.5, "g"},
                {"peak-to-peak", 1.0, "g"},
                {"crest", std::sqrt(2.0), ""},
                {"kurtosis", 1.5, ""}};
    for (const auto& w : want) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << w.name;
        const std::size_t tab = line.find('\t'), unitTab = line.rfind('\t');
        EXPECT_EQ(line.substr(0, tab), w.name);
        std::string number = line.substr(tab + 1, unitTab - tab - 1);
        std::replace(number.begin(), number.end(), ',', '.');
        EXPECT_NEAR(std::stod(number), w.value, 1e-6) << line; // stored as floats
        EXPECT_EQ(line.substr(unitTab + 1), w.unit) << line;
    }
    std::string rest;
    EXPECT_FALSE(std::getline(lines, rest)) << run.out;

    std::ofstream(dir_ / "s.csv") << "Hz;A\n1;1\n2;2\n3;1\n";
    const CliRun spectrum = runCli({"levels", dir_ / "s.csv"});
    EXPECT_EQ(spectrum.status, 4);
    EXPECT_EQ(spectrum.err, "Файл «s.csv»: в нём спектр, а уровни считают по записи сигнала\n");
    // A bearing has nothing to do with a record's levels: said, not passed over.
    const CliRun bearing = runCli(plus({"levels", wav}, {"--Z", "9", "--Fr", "25", "--dw", "7,94",
                                                         "--D", "52", "--d", "25", "--a", "0"}));
    EXPECT_EQ(bearing.status, 1);
    EXPECT_EQ(bearing.err.rfind("orbistan-cli: levels takes no bearing", 0), 0u) << bearing.err;
}

// A span so narrow that its filter would outgrow the record is refused at once, within a
// bounded memory, naming the file and the length it would need.
TEST_F(CliSpectrum, ASpanTooNarrowForTheRecordIsRefusedInBoundedMemory) {
    const std::string wav = dir_ / "two.wav";
    ASSERT_EQ(runCli(plus(as("synth", geometry("9", "29,95", "7,94", "52", "25", "0")),
                          {"--fault", "outer", "--seconds", "2", "--rate", "48000", "--out", wav}))
                  .status,
              0);
#if defined(__SANITIZE_ADDRESS__)
    const rlim_t limit = 0; // the sanitizer's own reservations exceed any address-space limit
#else
    const rlim_t limit = rlim_t(1) << 30;
#endif
    const CliRun run = runCli({"spectrum", wav, "--span", "0,0003"}, {}, limit);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "Файл «two.wav»: макс. частота 0,0003 Гц: запись слишком коротка: для такой "
                       "полосы в ней должно быть не меньше 1631848121 отсчётов (33996,9 с), а их "
                       "96000\n");
    EXPECT_EQ(run.out, "");
}

// A synthetic outer-race fault of a 6205 at 1797 rpm, written and read back: its peak at Fo
// is explained as Fo; without geometry the table only lists the peaks.
TEST_F(CliSpectrum, SynthesisedFaultIsExplained) {
    const std::string wav = (dir_ / "outer.wav").string();
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    const CliRun made = runCli(plus(as("synth", g), {"--fault", "outer", "--out", wav}));
    ASSERT_EQ(made.status, 0) << made.err;
    const auto options = std::vector<std::string>(g.begin() + 1, g.end());
    const CliRun r = runCli(plus(plus({"spectrum", wav}, options), {"--peaks", "20"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "rank\tfrequency\tamplitude\texplanation\tm\tn\tvalue\tresidual");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 21);
    // Named as the diagnosis found it: its value the line found, a hair from the computed.
    EXPECT_NE(r.out.find("\tFo\t1\t\t106,98"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\t2·Fo\t2\t\t"), std::string::npos) << r.out;
    const CliRun bare = runCli({"spectrum", wav, "--peaks", "3", "--window", "flattop"});
    ASSERT_EQ(bare.status, 0) << bare.err;
    EXPECT_NE(bare.out.find("\n1\t"), std::string::npos);
    EXPECT_EQ(bare.out.find("Fr"), std::string::npos) << bare.out;
    EXPECT_NE(bare.out.find("\t-\t\t\t\t\n"), std::string::npos) << bare.out;
}

// A text record: at the rate its time column shows, or at --rate for bare columns; a file
// that could be either is read as a spectrum and says so; --text reads it as asked, and is
// refused for a file that is not text.
TEST_F(CliSpectrum, TextRecordsAreReadAtTheirRate) {
    std::string timed = "Time (s);Acceleration, g\n", columns, either;
    for (int i = 0; i < 8000; ++i) {
        const double t = i / 8000.0, x = std::sin(2 * std::numbers::pi * 250 * t);
        timed += std::to_string(t) + ";" + std::to_string(x) + "\n";
        columns += std::to_string(0.5 * x) + "\t" + std::to_string(x) + "\n";
        either += std::to_string(t) + " " + std::to_string(x) + "\n";
    }
    for (const auto& [name, bytes] : {std::pair{"timed.csv", timed}, std::pair{"columns", columns},
                                      std::pair{"either.txt", either}}) {
        ASSERT_EQ(orbistan::writeFileAtomically(dir_ / name, bytes), 0);
    }
    const struct {
        std::vector<std::string> args;
        const char* top; // the highest line
        const char* note;
    } cases[] = {
        {{"timed.csv"}, "250", ""},
        {{"columns", "--rate", "8000", "--channel", "2"}, "250", ""},
        {{"columns", "--channel", "2"}, "375", "принята 12000 Гц (задайте её: --rate)"},
        {{"either.txt", "--text", "timed"}, "250", ""},
        {{"either.txt"},
         "0,001\t1",
         "прочитан как спектр (частота, амплитуда); как запись со временем в первом столбце его "
         "читают с --text timed"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {
            "spectrum", (dir_ / c.args[0]).string(), "--peaks", "1", "--window", "flattop"};
        args.insert(args.end(), c.args.begin() + 1, c.args.end());
        const CliRun r = runCli(args);
        ASSERT_EQ(r.status, 0) << c.args[0] << r.err;
        const std::string row = r.out.substr(r.out.find('\n') + 1);
        EXPECT_TRUE(row.starts_with(std::string("1\t") + c.top)) << c.args[0] << ": " << row;
        EXPECT_EQ(r.err.find(c.note) != std::string::npos, true) << r.err;
        EXPECT_EQ(r.err.empty(), *c.note == 0) << r.err;
    }
    const std::string wav = (dir_ / "tone.wav").string();
    ASSERT_EQ(runCli({"synth", "--fault", "none", "--out", wav, "--seconds", "0,5", "--Z", "9",
                      "--Fr", "29,95", "--dw", "7,94", "--D", "52", "--d", "25", "--a", "0"})
                  .status,
              0);
    const CliRun refused = runCli({"spectrum", wav, "--text", "channels"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--text к нему не относится: он не текстовый"), std::string::npos)
        << refused.err;
}

std::vector<std::vector<std::string>> tabRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos;
             start = tab + 1) {
            fields.push_back(line.substr(start, tab - start));
        }
        fields.push_back(line.substr(start));
        rows.push_back(fields);
    }
    return rows;
}

// A series made by synth (the fault from record 8 on, the speed wandering) and trended: a
// row per record in time order, the outer race strong from record 8 on and never before,
// the other families never strong; a file that is no record is a row saying why.
TEST_F(CliSpectrum, ASeriesIsTrendedInTimeOrder) {
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    const std::string folder = (dir_ / "series").string();
    ASSERT_EQ(runCli(plus(as("synth", g), {"--fault", "outer", "--series", "16", "--onset", "8",
                                           "--rate", "20000", "--seconds", "1", "--out", folder}))
                  .status,
              0);
    ASSERT_EQ(orbistan::writeFileAtomically(dir_ / "series" / "notes.txt", "not a record\n"), 0);
    const std::string csv = (dir_ / "trend.csv").string();
    const CliRun r = runCli(plus(on(as("trend", g), {folder}), {"--out", csv}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("записей: 17 из 17"), std::string::npos) << r.err;
    const auto rows = tabRows(orbistan::readWholeFile(csv).value_or(""));
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[0][0], "time");
    EXPECT_EQ(rows[0].back(), "band");
    const auto column = [&](const std::string& key) {
        return static_cast<std::size_t>(std::find(rows[0].begin(), rows[0].end(), key) -
                                        rows[0].begin());
    };
    for (std::size_t i = 1; i <= 16; ++i) {
        ASSERT_EQ(rows[i].size(), rows[0].size()) << i;
        EXPECT_EQ(rows[i][1], "name");
        EXPECT_EQ(rows[i][column("outer")], i > 8 ? "strong" : "none") << "outer, record " << i - 1;
        for (const char* other : {"inner", "ball", "cage"}) {
            EXPECT_NE(rows[i][column(other)], "strong") << other << ", record " << i - 1;
        }
        // Each record judged at a speed of its own, near the 29,95 Hz typed (the series'
        // speed wanders by 1 %), and said how it was known.
        const std::string fr = rows[i][column("fr")];
        EXPECT_NEAR(
            std::stod(fr.substr(0, fr.find(',')) + "." +
                      (fr.find(',') == std::string::npos ? "0" : fr.substr(fr.find(',') + 1))),
            29.95, 0.02 * 29.95)
            << fr;
        EXPECT_TRUE(rows[i][column("fr_source")] == "spectrum" ||
                    rows[i][column("fr_source")] == "unconfirmed")
            << rows[i][column("fr_source")];
    }
    // By the coherence: its carriers in the band's field, the fault from its first record.
    const CliRun coherent = runCli(plus(on(as("trend", g), {folder}), {"--method", "coherence"}));
    ASSERT_EQ(coherent.status, 0) << coherent.err;
    const auto byCoherence = tabRows(coherent.out);
    ASSERT_EQ(byCoherence.size(), 18u);
    for (std::size_t i = 1; i <= 16; ++i) {
        EXPECT_TRUE(byCoherence[i].back().starts_with("coherence ")) << byCoherence[i].back();
        EXPECT_EQ(byCoherence[i][column("outer")] != "none", i > 8) << "outer, record " << i - 1;
    }
    // notes.txt has no time in its name: its modification time, today, puts it last.
    EXPECT_EQ(rows[17][1], "mtime");
    EXPECT_EQ(rows[17][3], "");
    EXPECT_TRUE(rows[17].back().starts_with("Файл «notes.txt»: ")) << rows[17].back();

    const std::string notes = (dir_ / "series" / "notes.txt").string();
    EXPECT_EQ(runCli({"trend", notes, "--Z", "9"}).status, 1); // no geometry
    const CliRun unread = runCli(on(as("trend", g), {notes}));
    EXPECT_EQ(unread.status, 4) << unread.err; // no record read
    EXPECT_EQ(tabRows(unread.out).size(), 2u);
    EXPECT_EQ(runCli(on(as("trend", g), {(dir_ / "absent").string()})).status, 4);
    // A series too long for the disk is refused before anything is written.
    const std::string huge = (dir_ / "huge").string();
    EXPECT_EQ(
        runCli(plus(as("synth", g), {"--fault", "outer", "--series", "100000", "--out", huge}))
            .status,
        1);
    EXPECT_FALSE(std::filesystem::exists(huge));
}

// A narrow span gives fine lines from few: the fault's line at 400 lines over 0–500 Hz is
// placed as well as at 3 200 over the whole band, and nothing above the span is listed; the
// envelope's span is its own, as the spectrum's is.
TEST_F(CliSpectrum, ASpanNarrowsTheLines) {
    const std::string wav = (dir_ / "outer.wav").string();
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    ASSERT_EQ(
        runCli(plus(as("synth", g), {"--fault", "outer", "--out", wav, "--noise", "0,01"})).status,
        0);
    const struct {
        std::vector<std::string> command; // its file second
        const char* lines;
        double within; // Hz of Fo
    } cases[] = {{{"spectrum", wav}, "400", 0.1},
                 {{"spectrum", wav}, "3200", 0.1},
                 {{"envelope", wav, "--band", "2000:4000"}, "400", 0.5},
                 {{"envelope", wav, "--band", "2000:4000"}, "1600", 0.5}};
    for (const auto& c : cases) {
        const std::string lines = c.lines;
        const CliRun r = runCli(plus(c.command, {"--span", "500", "--lines", lines, "--peaks", "50",
                                                 "--window", "flattop"}));
        ASSERT_EQ(r.status, 0) << r.err;
        std::istringstream table(r.out);
        std::string line;
        std::getline(table, line);
        double nearestFo = 1e9;
        int rows = 0;
        while (std::getline(table, line)) {
            const std::size_t tab = line.find('\t');
            std::string f = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
            std::replace(f.begin(), f.end(), ',', '.');
            const double hz = std::stod(f);
            EXPECT_LE(hz, 12000.0 / 9 / 2.56) << line; // the 9-fold rate shows 520,8 Hz
            nearestFo = std::min(nearestFo, std::abs(hz - 106.979844155844));
            ++rows;
        }
        EXPECT_GT(rows, 3) << r.out;
        EXPECT_LT(nearestFo, c.within) << c.command[0] << " " << lines << "\n" << r.out;
    }
}

// The report: one A4 page of PDF, written whole; refusals as the other spectrum commands'.
TEST_F(CliSpectrum, ReportWritesOnePageOfPdf) {
    const std::string wav = (dir_ / "outer.wav").string();
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    ASSERT_EQ(runCli(plus(as("synth", g), {"--fault", "outer", "--out", wav})).status, 0);
    const auto options = std::vector<std::string>(g.begin() + 1, g.end());
    const std::string pdf = (dir_ / "отчёт.pdf").string();
    const CliRun r = runCli(
        plus(plus({"report", wav}, options), {"--out", pdf, "--number", "6205", "--band", "auto"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    std::ifstream in(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(bytes.starts_with("%PDF-")) << bytes.substr(0, 10);
    EXPECT_TRUE(bytes.ends_with("%%EOF\n"));
    EXPECT_NE(bytes.find("/Count 1"), std::string::npos);           // one page
    EXPECT_NE(bytes.find("/MediaBox [0 0 595"), std::string::npos); // A4
    EXPECT_GT(bytes.size(), 10000u); // the plot, the facts and the table are drawn

    const std::string kept = (dir_ / "kept.pdf").string();
    std::ofstream(kept) << "old";
    const CliRun missing =
        runCli(plus(plus({"report", (dir_ / "нет.wav").string()}, options), {"--out", kept}));
    EXPECT_EQ(missing.status, 4);
    EXPECT_EQ(missing.err, "Файл «нет.wav»: такого файла нет\n");
    std::ifstream old(kept);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old"); // untouched
    EXPECT_EQ(runCli(plus(plus({"report", wav}, options), {})).status, 1);  // no --out
    const CliRun unwritable =
        runCli(plus(plus({"report", wav}, options), {"--out", "/nonexistent/r.pdf"}));
    EXPECT_EQ(unwritable.status, 4);
    EXPECT_FALSE(unwritable.err.empty());

    // A record whose file states no rate: the page is written, and the verdicts on it are
    // said not to be vouched for.
    const std::string mat =
        std::string(ORBISTAN_TEST_DATA) + "/real/cwru_12k_Drive_End_IR007_1_106.mat";
    const std::vector<std::string> cwru = {"--Z", "9",   "--dw",  "7,94", "--D",
                                           "52",  "--d", "26,08", "--a",  "0"};
    const CliRun assumed = runCli(plus(plus({"report", mat}, cwru), {"--out", pdf}));
    EXPECT_EQ(assumed.status, 0) << assumed.err;
    EXPECT_EQ(assumed.err, "Файл «cwru_12k_Drive_End_IR007_1_106.mat»: частота дискретизации "
                           "принята: признаки не проверены\n");
    const CliRun given =
        runCli(plus(plus({"report", mat}, cwru), {"--out", pdf, "--rate", "12000"}));
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.err, "");
}

// The three faults and noise alone, synthesised and diagnosed from their envelope spectra.
TEST_F(CliSpectrum, DiagnoseRanksTheSynthesisedFaultFirst) {
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    const auto options = std::vector<std::string>(g.begin() + 1, g.end());
    const std::pair<const char*, const char*> faults[] = {
        {"outer", "outer\t"}, {"inner", "inner\t"}, {"ball", "ball\t"}, {"none", ""}};
    for (const auto& [fault, first] : faults) {
        const std::string wav = (dir_ / (std::string(fault) + ".wav")).string();
        ASSERT_EQ(
            runCli(plus(as("synth", g), {"--fault", fault, "--noise", "0,3", "--out", wav})).status,
            0);
        const CliRun r = runCli(plus({"diagnose", wav}, options));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 4) << r.out;
        if (*first) {
            EXPECT_EQ(r.out.rfind(std::string(first), 0), 0u) << r.out;
            EXPECT_NE(r.out.find("\tstrong\t"), std::string::npos) << r.out;
            EXPECT_EQ(r.out.find("\tstrong\t"), r.out.find('\t', r.out.find('\t') + 1)) << r.out;
        } else {
            EXPECT_EQ(r.out.find("strong"), std::string::npos) << r.out;
        }
    }
    // The envelope of the resonance band explains the inner race's lines.
    const CliRun env = runCli(
        plus({"envelope", (dir_ / "inner.wav").string(), "--band", "2000:4000", "--peaks", "3"},
             options));
    ASSERT_EQ(env.status, 0) << env.err;
    EXPECT_NE(env.out.find("\n1\t162,5"), std::string::npos) << env.out;
    EXPECT_NE(env.out.find("\tFi\t1\t\t"), std::string::npos) << env.out;
    // A text spectrum has no envelope.
    std::ofstream((dir_ / "s.txt").string()) << "1 1\n2 3\n3 1\n";
    const CliRun text = runCli({"envelope", (dir_ / "s.txt").string(), "--band", "auto"});
    EXPECT_EQ(text.status, 4);
    EXPECT_EQ(text.err, "Файл «s.txt»: огибающую строят по записи сигнала, а это спектр\n");
    // Nor does it take a way of making one: refused, not ignored.
    for (const std::vector<std::string>& way :
         {std::vector<std::string>{"--method", "coherence"}, {"--whiten"}, {"--band", "100:200"}}) {
        const CliRun r = runCli(
            plus(plus({"diagnose", (dir_ / "s.txt").string(), "--Fr", "29,95"}, options), way));
        EXPECT_EQ(r.status, 1) << way[0];
        EXPECT_NE(r.err.find(way[0] + " к нему не относится: огибающую строят по записи сигнала"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(
        runCli(plus({"diagnose", (dir_ / "s.txt").string(), "--Fr", "29,95"}, options)).status, 0);
}

// What the window does with units, the command line does with options: the scaling, a
// unit stated for a recording that names none, and velocity only where it means something.
TEST_F(CliSpectrum, ScalingUnitAndVelocity) {
    const std::string wav = (dir_ / "outer.wav").string();
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    ASSERT_EQ(runCli(plus(as("synth", g), {"--fault", "outer", "--out", wav})).status, 0);
    const auto firstAmplitude = [](const std::string& table) {
        const std::size_t line = table.find('\n') + 1;
        const std::size_t a = table.find('\t', table.find('\t', line) + 1) + 1;
        std::string text = table.substr(a, table.find('\t', a) - a);
        std::replace(text.begin(), text.end(), ',', '.');
        return std::stod(text);
    };
    const CliRun peak = runCli({"spectrum", wav, "--peaks", "1"});
    const CliRun rms = runCli({"spectrum", wav, "--peaks", "1", "--scaling", "rms"});
    ASSERT_EQ(rms.status, 0) << rms.err;
    EXPECT_NEAR(firstAmplitude(rms.out), firstAmplitude(peak.out) / std::sqrt(2.0), 1e-9);

    const CliRun refused = runCli({"spectrum", wav, "--velocity"});
    EXPECT_EQ(refused.status, 4);
    EXPECT_EQ(refused.err, "Файл «outer.wav»: скорость получают из ускорения в g или м/с²; "
                           "единица здесь не известна (--unit)\n");
    const CliRun velocity = runCli({"spectrum", wav, "--velocity", "--unit", "g", "--peaks", "1"});
    ASSERT_EQ(velocity.status, 0) << velocity.err;
    EXPECT_EQ(velocity.err, "");
    // The highest velocity line is no longer the highest acceleration line's value.
    EXPECT_NE(firstAmplitude(velocity.out), firstAmplitude(peak.out));

    std::ofstream((dir_ / "v.txt").string()) << "Hz;Velocity, mm/s\n1 1\n2 3\n3 1\n";
    const CliRun stated = runCli({"spectrum", (dir_ / "v.txt").string(), "--unit", "g"});
    EXPECT_EQ(stated.status, 0);
    EXPECT_EQ(stated.err, "Файл «v.txt»: единицу называет сам файл (мм/с), --unit не нужна\n");
    EXPECT_EQ(runCli({"spectrum", (dir_ / "v.txt").string(), "--velocity"}).status, 4);
}

TEST(CliUsage, NamesEveryFormatAndItsExtensions) {
    const CliRun r = runCli({"frobnicate"});
    EXPECT_EQ(r.status, 1);
    for (const char* line : {"\n  matlab: *.mat\n", "\n  uff: *.uff *.unv\n",
                             "  audio: ", "\n  text: *.csv *.txt *.tsv *.dat *.asc\n"}) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line;
    }
}

// What was typed is quoted readably: bytes that are not UTF-8 as the code page's letters,
// control characters as codes, never raw to the terminal.
TEST(CliUsage, QuotesWhatWasTypedReadably) {
    const struct {
        std::string typed, quoted;
    } cases[] = {
        {"--out\x8ar.pdf", "unknown option --out\xd0\x89r.pdf"},
        {"--\x1b[31mred", "unknown option --\\x1b[31mred"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli({"compute", c.typed, "1"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "orbistan-cli: " + c.quoted) << c.typed;
    }
}

// A rate given over the one the file states is taken, with a note saying so.
TEST_F(CliSpectrum, RateGivenOverTheFilesIsNoted) {
    const std::string wav = (dir_ / "outer.wav").string();
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    ASSERT_EQ(runCli(plus(as("synth", g), {"--fault", "outer", "--out", wav})).status, 0);
    const CliRun r = runCli({"spectrum", wav, "--peaks", "1", "--rate", "24000"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Файл «outer.wav»: в нём указана частота дискретизации 12000 Гц; взята "
                     "--rate 24000 Гц\n");
    EXPECT_EQ(runCli({"spectrum", wav, "--peaks", "1", "--rate", "12000"}).err, "");
    // A WAV states no shaft speed: without --Fr the diagnosis cannot be made.
    const CliRun noSpeed = runCli(plus(
        {"diagnose", wav}, {"--Z", "9", "--dw", "7,94", "--D", "52", "--d", "25", "--a", "0"}));
    EXPECT_EQ(noSpeed.status, 1);
    EXPECT_EQ(
        noSpeed.err.rfind("orbistan-cli: missing option --Fr: the file states no shaft speed\n", 0),
        0u)
        << noSpeed.err;
    // Pre-whitened, the whole band's envelope finds the fault too.
    const auto options = std::vector<std::string>(g.begin() + 1, g.end());
    const CliRun white = runCli(plus({"diagnose", wav, "--whiten"}, options));
    ASSERT_EQ(white.status, 0) << white.err;
    EXPECT_EQ(white.out.rfind("outer\t", 0), 0u) << white.out;
}

// Each method names the fault, and the found says which made the envelope judged.
TEST_F(CliSpectrum, EachMethodNamesTheFaultAndSaysItself) {
    const std::string wav = (dir_ / "inner.wav").string();
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    ASSERT_EQ(
        runCli(plus(as("synth", g), {"--fault", "inner", "--noise", "0,5", "--out", wav})).status,
        0);
    const auto options = std::vector<std::string>(g.begin() + 1, g.end());
    const std::pair<const char*, const char*> methods[] = {
        {"whitened", "; method whitened; Fr "},
        {"bandmap", "; method bandmap "},
        {"coherence", "; method coherence, carriers "},
        {"best", "; method "},
    };
    for (const auto& [method, said] : methods) {
        const CliRun r = runCli(plus(plus({"diagnose", wav}, options), {"--method", method}));
        ASSERT_EQ(r.status, 0) << method << r.err;
        EXPECT_EQ(r.out.rfind("inner\t", 0), 0u) << method << r.out;
        EXPECT_NE(r.out.find(said), std::string::npos) << method << r.out;
    }
    const CliRun band = runCli(plus(plus({"diagnose", wav}, options), {"--band", "2000:4000"}));
    EXPECT_NE(band.out.find("; band 2000-4000 Hz; Fr "), std::string::npos) << band.out;
    // Every line ends with the speed the families were judged at, found in the record.
    EXPECT_NE(band.out.find("; Fr 29,95 Hz (1797 rpm) from the spectrum, typed 29,95\n"),
              std::string::npos)
        << band.out;
}

// A named pipe in a file's place would block whatever opens it: every command refuses it at
// once, the shaft speed's look-up included.
TEST_F(CliSpectrum, ANamedPipeIsRefusedAtOnce) {
    const std::string fifo = (dir_ / "f.wav").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    const std::vector<std::string> noFr = {"--Z", "9",   "--dw", "7,94", "--D",
                                           "52",  "--d", "25",   "--a",  "0"};
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"spectrum", fifo},
          {"envelope", fifo, "--band", "auto"},
          plus({"diagnose", fifo}, std::vector<std::string>(g.begin() + 1, g.end())),
          plus({"diagnose", fifo}, noFr)}) {
        const auto started = std::chrono::steady_clock::now();
        const CliRun r = runCli(args);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1)) << args[0];
        EXPECT_EQ(r.status, 4) << args[0];
        EXPECT_EQ(r.err, "Файл «f.wav»: это не файл данных\n") << args[0];
    }
}

// A whole-record transform that would need more memory than may be taken is refused before
// it starts, with exit 4 and a message, not an abort. (A sanitizer's own reservations need more
// address space than any limit leaves: there the limit cannot be set.)
TEST_F(CliSpectrum, ExhaustedMemoryIsAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address space limits do not combine with AddressSanitizer";
#else
    const std::string wav = (dir_ / "long.wav").string();
    const auto g = geometry("9", "29,95", "7,94", "52", "25", "0");
    ASSERT_EQ(runCli(plus(as("synth", g),
                          {"--fault", "none", "--rate", "48000", "--seconds", "200", "--out", wav}))
                  .status,
              0);
    const CliRun r = runCli({"spectrum", wav, "--lines", "all"}, {}, rlim_t(400) << 20);
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_EQ(r.err.rfind("Файл «long.wav»: для этого нужно около ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(" МБ: возьмите меньше линий\n"), std::string::npos) << r.err;
#endif
}

// A damaged version 7.3 file leaves HDF5 objects open inside matio, and HDF5 complains of
// them as the process ends: standard error holds the program's message and nothing else.
TEST_F(CliSpectrum, DecodersKeepTheirChatterOffStandardError) {
    const CliRun r =
        runCli({"spectrum", std::string(ORBISTAN_TEST_DATA) + "/damaged/hdf5_left_open.mat",
                "--rate", "1000"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, "Файл «hdf5_left_open.mat»: в нём нет числового вектора\n");
    // UTF-16 text under an audio name: libsndfile tries its MPEG decoder, which complains.
    std::string utf16 = "\xff\xfe";
    for (const char c : std::string("Hz;A\n1;1\n2;2\n3;1\n")) {
        utf16 += std::string{c, '\0'};
    }
    std::ofstream(dir_ / "u16.wav", std::ios::binary) << utf16;
    const CliRun text = runCli({"spectrum", (dir_ / "u16.wav").string()});
    EXPECT_EQ(text.status, 4);
    EXPECT_EQ(text.err, "Файл «u16.wav»: заголовок не читается\n");
}

} // namespace
