// The diagnosis on excerpts of real recordings (tests/data/real): the two public data sets
// analysts test their tools on, read as analysts have them, each fault named first and
// strongly, the normal bearing given no strong verdict.
#include "cli_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kCwruBearing = {"--Z", "9",   "--dw",  "7,94", "--D",
                                               "52",  "--d", "26,08", "--a",  "0"};
const std::vector<std::string> kMfptBearing = {"--Z", "8",   "--dw",   "5,969", "--D",
                                               "40",  "--d", "23,246", "--a",   "0"};

struct RealCase {
    const char* file;
    const char* rate; // the rate the data set's tables give, for files that state none
    bool cwru;
    const char* first; // family ranked first, "" for the normal bearing
    friend void PrintTo(const RealCase& c, std::ostream* os) { *os << c.file; }
};

class RealRecords : public testing::TestWithParam<RealCase> {};

// The shaft speed comes from the file (its RPM variable or struct field): no --Fr given.
TEST_P(RealRecords, FirstFamilyIsTheFault) {
    const RealCase& c = GetParam();
    std::vector<std::string> args = {"diagnose",
                                     std::string(ORBISTAN_TEST_DATA) + "/real/" + c.file};
    const auto& bearing = c.cwru ? kCwruBearing : kMfptBearing;
    args.insert(args.end(), bearing.begin(), bearing.end());
    if (*c.rate) {
        args.insert(args.end(), {"--rate", c.rate});
    }
    const CliRun r = runCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string first = r.out.substr(0, r.out.find('\n'));
    if (*c.first) {
        EXPECT_EQ(first.rfind(std::string(c.first) + "\t", 0), 0u) << r.out;
        EXPECT_NE(first.find("\tstrong\t"), std::string::npos) << r.out;
    } else {
        EXPECT_EQ(r.out.find("\tstrong\t"), std::string::npos) << r.out;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Excerpts, RealRecords,
    testing::Values(RealCase{"cwru_12k_Drive_End_OR007@6_1_131.mat", "12000", true, "outer"},
                    RealCase{"cwru_12k_Drive_End_IR007_1_106.mat", "12000", true, "inner"},
                    RealCase{"cwru_48k_Drive_End_OR007@6_0_135.mat", "48000", true, "outer"},
                    RealCase{"cwru_48k_Drive_End_IR007_0_109.mat", "48000", true, "inner"},
                    RealCase{"cwru_normal_0_97.mat", "48000", true, ""},
                    RealCase{"mfpt_OuterRaceFault_vload_2.mat", "", false, "outer"},
                    RealCase{"mfpt_InnerRaceFault_vload_1.mat", "", false, "inner"}),
    [](const testing::TestParamInfo<RealCase>& i) {
        std::string name = i.param.file;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name.substr(0, name.size() - 4);
    });

// A file that states no rate is read at the rate assumed: the command says which, and that
// the verdicts it printed are not vouched for; given the rate, it says neither.
TEST(RealRecordRate, AFileWithoutRateSaysWhatItAssumed) {
    std::vector<std::string> args = {"diagnose", std::string(ORBISTAN_TEST_DATA) +
                                                     "/real/cwru_48k_Drive_End_IR007_0_109.mat"};
    args.insert(args.end(), kCwruBearing.begin(), kCwruBearing.end());
    const CliRun assumed = runCli(args);
    ASSERT_EQ(assumed.status, 0) << assumed.err;
    EXPECT_EQ(assumed.err, "Файл «cwru_48k_Drive_End_IR007_0_109.mat»: частота дискретизации в "
                           "нём не указана; принята 12000 Гц (задайте её: --rate)\n"
                           "Файл «cwru_48k_Drive_End_IR007_0_109.mat»: частота дискретизации "
                           "принята: признаки не проверены\n");
    EXPECT_EQ(std::count(assumed.out.begin(), assumed.out.end(), '\n'), 4) << assumed.out;
    args.insert(args.end(), {"--rate", "48000"});
    const CliRun given = runCli(args);
    ASSERT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.err, "");
}

} // namespace

namespace {

// One rule for every command: the shaft speed a file states stands for --Fr.
TEST(RealRecordSpeed, EveryCommandTakesItFromTheFile) {
    const std::string file =
        std::string(ORBISTAN_TEST_DATA) + "/real/cwru_12k_Drive_End_OR007@6_1_131.mat";
    for (const char* command : {"spectrum", "envelope", "diagnose"}) {
        std::vector<std::string> args = {command, file, "--rate", "12000"};
        args.insert(args.end(), kCwruBearing.begin(), kCwruBearing.end());
        args.insert(args.end(), {"--span", "500"});
        if (command == std::string("envelope")) {
            args.insert(args.end(), {"--band", "auto"});
        }
        const CliRun r = runCli(args);
        ASSERT_EQ(r.status, 0) << command << ": " << r.err;
        // Explained: some line names a frequency of the bearing.
        EXPECT_NE(r.out.find(command == std::string("diagnose") ? "outer\t" : "\tFo"),
                  std::string::npos)
            << command << ": " << r.out;
    }
}

} // namespace
