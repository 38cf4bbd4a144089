// A report's results: read back as written (traces and pictures too),
// refused with the file named when damaged, and the scripts' times read
// from them or from a JUnit file for --durations; the split of a suite by
// those times.
#include "report_results.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "result_file.h"
#include "script/utf8_path.h"
#include "test_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace program::detail {
namespace {

std::vector<ScriptResult> ThreeResults() {
    std::vector<ScriptResult> results(3);
    results[0].file = "suite/a.ks";
    results[0].className = "suite";
    results[0].passed = true;
    results[0].time = std::chrono::duration<double>(1.25);
    results[0].place = 4;
    results[1].file = script::PathFromUtf8("suite/more/b \xc3\xa9\n.ks");
    results[1].className = "more";
    results[1].failure = "b.ks:2: expect text 1051 \"0\": it is \"1\"";
    results[1].output = "line 1\nline 2\n";
    results[1].time = std::chrono::duration<double>(0.5);
    results[1].traced = true;
    results[1].screensLeftOut = 3;
    TraceStep& step = results[1].trace.emplace_back();
    step.line = 2;
    step.command = "expect screen x.png";
    step.failure = "differs";
    step.unitMs = 40;
    step.wallMs = 1.5;
    step.screen = "0123abcd.png";
    step.debugLines = {"one\n", "two\n"};
    step.messageBoxes = {"OK?"};
    step.reference = "ref.png";
    step.actual = "act.png";
    step.difference = "diff.png";
    step.area = {10, 20, 60, 50};
    step.masks = {{10, 20, 15, 22}, {40, 45, 60, 50}};
    step.traffic = {"6 ms COM7: read 3F 00: no frame", "7 ms file created \\a\nb"};
    step.trafficLeftOut = 12;
    results[2].file = "suite/c.ks";
    results[2].error = true;
    results[2].failure = "c.ks:1: its worker was killed";
    return results;
}

TEST(ReportResultsTest, ResultsComeBackAsWrittenAndDamageIsNamed) {
    const std::vector<ScriptResult> written = ThreeResults();
    const std::string text = ReportResultsText(written);
    std::string picture;
    AppendField(&picture, "screen", "screens/0123abcd.png");
    EXPECT_NE(text.find(picture), std::string::npos)
        << "pictures are named from the report's folder";
    std::vector<ScriptResult> read;
    const platform::Result<void> parsed = ParseReportResults(text, "r/results.kestrin", &read);
    ASSERT_TRUE(parsed) << parsed.error();
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].file, written[i].file);
        EXPECT_EQ(read[i].className, written[i].className);
        EXPECT_EQ(read[i].passed, written[i].passed);
        EXPECT_EQ(read[i].error, written[i].error);
        EXPECT_NEAR(read[i].time.count(), written[i].time.count(), 1e-6);
        EXPECT_EQ(read[i].failure, written[i].failure);
        EXPECT_EQ(read[i].output, written[i].output);
        EXPECT_EQ(read[i].place, written[i].place);
        EXPECT_EQ(read[i].traced, written[i].traced);
        EXPECT_EQ(read[i].screensLeftOut, written[i].screensLeftOut);
        ASSERT_EQ(read[i].trace.size(), written[i].trace.size());
    }
    const TraceStep& step = read[1].trace[0];
    EXPECT_EQ(step.command, "expect screen x.png");
    EXPECT_EQ(step.screen, "0123abcd.png");
    EXPECT_EQ(step.debugLines, (std::vector<std::string>{"one\n", "two\n"}));
    EXPECT_EQ(step.messageBoxes, std::vector<std::string>{"OK?"});
    EXPECT_EQ(step.difference, "diff.png");
    EXPECT_EQ(step.area, written[1].trace[0].area);
    EXPECT_EQ(step.masks, written[1].trace[0].masks);
    EXPECT_EQ(step.traffic, written[1].trace[0].traffic);
    EXPECT_EQ(step.trafficLeftOut, 12U);

    std::string noOutcome = text;
    noOutcome.replace(noOutcome.find("outcome 6\npassed"), 16, "outcome 4\nwell");
    std::string cut = text.substr(0, text.size() - 5);
    std::string escape = text;
    std::string outside;
    AppendField(&outside, "screen", "screens/../../etc/pass");
    escape.replace(escape.find(picture), picture.size(), outside);
    std::string leftOut = text;
    leftOut.replace(leftOut.find("traffic-left-out 2\n12"), 21, "traffic-left-out 2\n1x");
    const std::pair<std::string, std::string> bad[] = {
        {"", "r/results.kestrin: not the results of a kestrin report"},
        {"kestrin-script-result 2\n", "r/results.kestrin: not the results of a kestrin report"},
        {noOutcome, "r/results.kestrin: damaged: an outcome neither passed, failed nor error"},
        {cut, "r/results.kestrin: damaged: a field cut short"},
        {escape,
         "r/results.kestrin: damaged: a malformed step of suite/more/b \xc3\xa9\\x0A.ks's "
         "trace"},
        {leftOut,
         "r/results.kestrin: damaged: a malformed step of suite/more/b \xc3\xa9\\x0A.ks's "
         "trace"},
        {"kestrin-report-results 1\nplace 1\n0\n",
         "r/results.kestrin: damaged: a field before the first script"},
        {"kestrin-report-results 1\nscript 4\na.ks\nduration-ms 2\n-1\noutcome 6\npassed\n",
         "r/results.kestrin: damaged: a duration that is not a number of milliseconds"},
        {"kestrin-report-results 1\nscript 4\na.ks\n",
         "r/results.kestrin: damaged: a script without its outcome"},
    };
    for (const auto& [damaged, reason] : bad) {
        std::vector<ScriptResult> none;
        const platform::Result<void> refused =
            ParseReportResults(damaged, "r/results.kestrin", &none);
        ASSERT_FALSE(refused) << reason;
        EXPECT_EQ(refused.error(), reason);
    }
    const test::TestFolder folder;
    std::vector<ScriptResult> none;
    const platform::Result<void> missing = ReadReportResults(folder.path(), &none);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().find("results.kestrin: missing"), std::string::npos)
        << missing.error();
}

TEST(ReportResultsTest, DurationsComeFromJUnitAndFromAReportsResults) {
    const test::TestFolder folder;
    std::vector<ScriptResult> results = ThreeResults();
    const std::filesystem::path junit = folder.path() / "junit.xml";
    ASSERT_TRUE(WriteJUnit(junit, results));
    folder.Write("report/results.kestrin", ReportResultsText(results));
    const std::filesystem::path report = folder.path() / "report";
    for (const std::filesystem::path& from : {junit, report, report / "results.kestrin"}) {
        const platform::Result<std::map<std::string, double>> durations = ReadDurations(from);
        ASSERT_TRUE(durations) << durations.error();
        ASSERT_EQ(durations->size(), 3U) << script::Utf8FromPath(from);
        for (const ScriptResult& r : results) {
            const auto found = durations->find(ScriptKey(r.file));
            ASSERT_NE(found, durations->end()) << ScriptKey(r.file);
            EXPECT_NEAR(found->second, r.time.count(), 1e-3);
        }
    }
    const std::pair<std::string, std::string> bad[] = {
        {"a list\n", "neither a JUnit report nor a kestrin report's results"},
        {"<testsuite><testcase name=\"a\" time=\"1\">",
         "a testcase without a file and a time in seconds"},
        {"<testsuite><testcase file=\"a.ks\" time=\"x\">",
         "a testcase without a file and a time in seconds"},
        {"<testsuite><testcase file=\"a&bogus;\" time=\"1\">",
         "a testcase without a file and a time in seconds"},
        {"<testsuite><testcase name=\"x file=\" time=\"1\">",
         "a testcase without a file and a time in seconds"},
    };
    for (const auto& [text, reason] : bad) {
        const platform::Result<std::map<std::string, double>> refused =
            ReadDurations(folder.Write("d.xml", text));
        ASSERT_FALSE(refused) << reason;
        EXPECT_NE(refused.error().find(reason), std::string::npos) << refused.error();
    }
    EXPECT_FALSE(ReadDurations(folder.path() / "none.xml"));
#ifndef _WIN32
    // Refused unopened: opening a FIFO waits for a writer.
    const std::filesystem::path fifo = folder.path() / "durations.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const platform::Result<std::map<std::string, double>> fromFifo = ReadDurations(fifo);
    ASSERT_FALSE(fromFifo);
    EXPECT_NE(fromFifo.error().find(": a FIFO, not a file"), std::string::npos) << fromFifo.error();
#endif
}

// A suite of scripts with these times (negative: none measured).
struct Shape {
    const char* name;
    std::vector<double> seconds;
};

TEST(ReportResultsTest, TheSplitByTimeRunsEachScriptOnceAndEvenly) {
    std::vector<double> uniform(40, 2.0);
    std::vector<double> mixed(60);
    for (std::size_t i = 0; i < mixed.size(); ++i) {
        mixed[i] = 0.2 + static_cast<double>(i * 37 % 23) * 0.7;
    }
    std::vector<double> heavyTail(50);
    for (std::size_t i = 0; i < heavyTail.size(); ++i) {
        heavyTail[i] = i < 4 ? 12.0 : 0.5 + static_cast<double>(i % 5);
    }
    std::vector<double> someUnmeasured = mixed;
    for (std::size_t i = 0; i < someUnmeasured.size(); i += 9) {
        someUnmeasured[i] = -1;
    }
    const Shape shapes[] = {{"no time at all", std::vector<double>(12, 0.0)},
                            {"uniform", uniform},
                            {"mixed", mixed},
                            {"a few long ones", heavyTail},
                            {"some unmeasured", someUnmeasured}};
    for (const Shape& shape : shapes) {
        for (const int n : {2, 3, 4, 7}) {
            std::vector<std::filesystem::path> relative;
            std::vector<std::optional<double>> seconds;
            for (std::size_t i = 0; i < shape.seconds.size(); ++i) {
                relative.emplace_back("dir" + std::to_string(i % 3) + "/s" + std::to_string(i) +
                                      ".ks");
                seconds.push_back(shape.seconds[i] < 0 ? std::nullopt
                                                       : std::optional(shape.seconds[i]));
            }
            const std::vector<int> slices = SlicesByTime(relative, seconds, n);
            ASSERT_EQ(slices.size(), relative.size());
            // Each shard decides alone: the same inputs in another order of
            // the suite give every script the same slice.
            std::vector<std::filesystem::path> reversed(relative.rbegin(), relative.rend());
            std::vector<std::optional<double>> reversedSeconds(seconds.rbegin(), seconds.rend());
            const std::vector<int> again = SlicesByTime(reversed, reversedSeconds, n);
            std::vector<double> load(static_cast<std::size_t>(n), 0);
            for (std::size_t i = 0; i < slices.size(); ++i) {
                ASSERT_GE(slices[i], 0);
                ASSERT_LT(slices[i], n);
                EXPECT_EQ(again[slices.size() - 1 - i], slices[i]) << shape.name;
                if (seconds[i]) {
                    load[static_cast<std::size_t>(slices[i])] += *seconds[i];
                } else {
                    EXPECT_TRUE(InShard(relative[i], {slices[i] + 1, n}))
                        << shape.name << ": an unmeasured script goes by its hash";
                }
            }
            if (std::ranges::all_of(seconds, [&](const auto& s) { return s == seconds[0]; })) {
                std::vector<int> count(static_cast<std::size_t>(n), 0);
                for (const int slice : slices) {
                    ++count[static_cast<std::size_t>(slice)];
                }
                EXPECT_LE(*std::ranges::max_element(count) - *std::ranges::min_element(count), 1)
                    << shape.name << ": scripts of one time spread evenly in " << n << " slices";
            }
            if (std::ranges::all_of(seconds, [](const auto& s) { return s.has_value(); })) {
                const double mean = std::accumulate(load.begin(), load.end(), 0.0) / n;
                EXPECT_LE(*std::ranges::max_element(load), 1.25 * mean)
                    << shape.name << " in " << n << " slices";
            }
        }
    }
}

}  // namespace
}  // namespace program::detail
