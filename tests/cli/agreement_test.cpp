// One diagnosis everywhere: a real record diagnosed by `orbistan-cli diagnose`, by the
// workbench as the spectrum window drives it (opened, its rate given, the bearing
// computed; the panel shows its evidence) and on the report page (which the PDF draws)
// names the same families, verdicts and frequencies found.
#include "cli_run.h"

#include "calc/compute.h"
#include "calc/numbers.h"
#include "spectrum/workbench/report.h"
#include "spectrum/workbench/workbench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace orbistan {
namespace {

struct Record {
    const char* file;
    std::vector<std::string> bearing; // the compute options
    double rate;                      // given, for a file that states none; 0: stated
};

// The bearing as the calculator computes it from the same geometry and Fr.
SearchBases computed(const std::vector<std::string>& bearing, double Fr) {
    InputTexts texts;
    const std::pair<InputField, const char*> fields[] = {
        {InZ, "--Z"}, {InDw, "--dw"}, {InD, "--D"}, {Ind, "--d"}, {InA, "--a"}};
    for (const auto& [field, name] : fields) {
        texts.fields[field] = *(std::find(bearing.begin(), bearing.end(), name) + 1);
    }
    texts.fields[InFr] = formatGeneral(Fr);
    texts.multipliers.fill("1");
    const ComputeOutcome c = runComputation(texts, 1);
    EXPECT_EQ(c.kind, ComputeOutcome::Done);
    return searchBases(c.results, c.validation.inputs.Fr);
}

// The families as `diagnose` prints them: "family verdict found" per line, what the verdicts
// were read from ("; method …") cut off the found and kept in `source`.
std::vector<std::string> fromCommandLine(const Record& r, std::string& source) {
    std::vector<std::string> args = {"diagnose",
                                     std::string(ORBISTAN_TEST_DATA) + "/real/" + r.file};
    args.insert(args.end(), r.bearing.begin(), r.bearing.end());
    if (r.rate > 0) {
        args.insert(args.end(), {"--rate", std::to_string(static_cast<int>(r.rate))});
    }
    const CliRun run = runCli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);) {
        const std::size_t score = line.find('\t'), verdict = line.find('\t', score + 1);
        const std::size_t method = line.rfind("; method ");
        EXPECT_NE(method, std::string::npos) << line;
        source = line.substr(method + 2);
        lines.push_back(line.substr(0, score) + " " +
                        line.substr(verdict + 1, method - verdict - 1));
    }
    return lines;
}

TEST(OneDiagnosis, TheWindowTheCommandLineAndTheReportAgree) {
    const Record records[] = {
        {"cwru_12k_Drive_End_OR007@6_1_131.mat",
         {"--Z", "9", "--dw", "7,94", "--D", "52", "--d", "26,08", "--a", "0"},
         12000},
        {"mfpt_InnerRaceFault_vload_1.mat",
         {"--Z", "8", "--dw", "5,969", "--D", "40", "--d", "23,246", "--a", "0"},
         0},
    };
    for (const Record& r : records) {
        SCOPED_TRACE(r.file);
        std::string source;
        const std::vector<std::string> expected = fromCommandLine(r, source);
        ASSERT_EQ(expected.size(), 4u);

        Workbench doc;
        const auto apply = [&doc](const std::optional<WorkbenchTask>& t) {
            ASSERT_TRUE(t);
            const std::optional<FileProblem> problem = runThrough(doc, t);
            ASSERT_FALSE(problem) << problemText(*problem);
        };
        apply(doc.openTask(std::string(ORBISTAN_TEST_DATA) + "/real/" + r.file));
        if (r.rate > 0) {
            const WorkbenchChange rate = doc.setRate(r.rate);
            if (rate.next) { // else the rate assumed was the one given: only confirmed
                apply(rate.next);
            }
        }
        ASSERT_TRUE(doc.shown()->shaftRpm);
        doc.setBearing(WorkbenchBearing{
            computed(r.bearing, *doc.shown()->shaftRpm / 60), {0, 1, 1, 10, 1000}, 1});
        apply(doc.pendingDiagnosis());
        ASSERT_FALSE(doc.rateAssumed());

        std::vector<std::string> window;
        for (const FamilyEvidence& e : doc.evidence()) {
            window.push_back(std::string(faultFamily(e.family).key) + " " +
                             std::string(verdictKey(e.verdict)) + "\t" + describeEvidence(e));
        }
        EXPECT_EQ(window, expected);
        ASSERT_TRUE(doc.recordDiagnosis());
        EXPECT_TRUE(source.starts_with(
            "method " +
            std::string(termOf(kEnvelopeMethodTerms, doc.recordDiagnosis()->method).key) + " "))
            << source;

        // One speed found for all three: the command line's, the window's and the page's.
        ASSERT_TRUE(doc.judged());
        const ShaftSpeed& speed = doc.judged()->speed;
        EXPECT_TRUE(source.ends_with("; " + speedText(speed, false))) << source;

        // The page: the heading and the speed, then each family's verdict, followed by its
        // lines where it was judged to be there.
        const Report report = makeReport(doc, {});
        std::vector<DiagnosisLine> page{
            {speedText(speed, true) + "; " + windowText(doc.judged()->windowPercent),
             std::nullopt}};
        for (const FamilyEvidence& e : doc.evidence()) {
            page.push_back({describeEvidence(e, true) + ": " + std::string(verdictWords(e.verdict)),
                            e.verdict});
            if (e.verdict != Verdict::None) {
                page.push_back({"   линии " + foundLinesText(e), std::nullopt});
            }
        }
        ASSERT_EQ(report.diagnosis.size(), page.size() + 1);
        for (std::size_t i = 0; i < page.size(); ++i) {
            EXPECT_EQ(report.diagnosis[i + 1].text, page[i].text);
            EXPECT_EQ(report.diagnosis[i + 1].verdict, page[i].verdict);
        }
    }
}

} // namespace
} // namespace orbistan
