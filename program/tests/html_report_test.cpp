// The report's index: the scripts that came to no pass first, each group in
// the run's order, each row linked to its script's page; the totals; names
// shown as they are, whatever they hold. A script's page: its steps with
// their traffic.
#include "html_report.h"
#include "report_folder.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "script/utf8_path.h"
#include "test_folder.h"
#include "whole_file.h"

namespace program::detail {
namespace {

// The text with U+202E, which shows what follows right to left, for "{rlo}"
// (made here, not written in a literal, where it would be the trick it is).
std::string WithRlo(std::string text) {
    const std::string rlo = {'\xe2', '\x80', '\xae'};
    for (std::size_t at = text.find("{rlo}"); at != std::string::npos; at = text.find("{rlo}")) {
        text.replace(at, 5, rlo);
    }
    return text;
}

TEST(HtmlReportTest, TheIndexListsTheFailedFirstEachGroupInTheRunsOrder) {
    struct Script {
        const char* file;
        bool passed;
        bool error;
    };
    const Script run[] = {{"p1.ks", true, false},  {"f1.ks", false, false},
                          {"p2.ks", true, false},  {"e1.ks", false, true},
                          {"f2.ks", false, false}, {"p3.ks", true, false},
                          {"p4.ks", true, false},  {"x{rlo}sk.ks", false, false}};
    std::vector<ScriptResult> results;
    for (const Script& s : run) {
        ScriptResult& r = results.emplace_back();
        r.file = script::PathFromUtf8(WithRlo(s.file));
        r.passed = s.passed;
        r.error = s.error;
        r.failure = s.passed ? "" : std::string(s.file) + ":1: why";
    }
    const test::TestFolder folder;
    std::filesystem::create_directories(folder.path() / "scripts");
    const platform::Result<void> written = WriteReport(folder.path(), results);
    ASSERT_TRUE(written) << written.error();
    const std::string index = ReadWholeFile(folder.path() / "index.html").value_or("");

    const std::regex row(
        R"re(<tr class="(\w+)"><td class="verdict">\w+</td><td><a href="scripts/(\d+)\.html">([^<]*)</a>)re");
    std::vector<std::string> rows;
    for (auto it = std::sregex_iterator(index.begin(), index.end(), row);
         it != std::sregex_iterator(); ++it) {
        const std::size_t page = std::stoul((*it)[2]) - 1;
        ASSERT_LT(page, std::size(run));
        rows.push_back((*it)[1].str() + " " + (*it)[3].str() + " " + run[page].file);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "failed f1.ks f1.ks", "error e1.ks e1.ks", "failed f2.ks f2.ks",
                        R"(failed x\xE2\x80\xAEsk.ks x{rlo}sk.ks)", "passed p1.ks p1.ks",
                        "passed p2.ks p2.ks", "passed p3.ks p3.ks", "passed p4.ks p4.ks"}));
    EXPECT_NE(index.find("<span class=\"passed\">4 passed</span>, <span class=\"failed\">3 "
                         "failed</span>, <span class=\"error\">1 error</span>"),
              std::string::npos)
        << index;
    EXPECT_EQ(index.find(WithRlo("{rlo}")), std::string::npos) << "a name reorders the page";
    // A failed script's page gives the command that opens it where it failed.
    for (std::size_t i = 0; i < std::size(run); ++i) {
        const std::string page =
            ReadWholeFile(folder.path() / ("scripts/" + std::to_string(i + 1) + ".html"))
                .value_or("");
        const bool failed = !run[i].passed && !run[i].error;
        EXPECT_EQ(page.find("<code>kestrin --script " +
                            std::string(i == 7 ? "x\\xE2\\x80\\xAEsk.ks" : run[i].file) +
                            " --open-at fail</code>") != std::string::npos,
                  failed)
            << run[i].file << ":\n"
            << page;
    }
}

// A script's page without its script: every step with its traffic beside
// its screen (what was left out said), each step at an address of its own
// (an earlier run's apart), the viewer hidden until the page's script runs.
TEST(HtmlReportTest, EachStepShowsItsTrafficAtAnAddressOfItsOwn) {
    std::vector<ScriptResult> results(1);
    ScriptResult& r = results[0];
    r.file = "s/t.ks";
    r.failure = "t.ks:2: expect text 1 \"a\": why";
    r.traced = true;
    r.trace.resize(2);
    r.trace[0].line = 1;
    r.trace[0].screen = "aa.png";
    r.trace[0].traffic = {"5 ms COM7: read <3F>", "6 ms GPS1: read $GPGGA"};
    r.trace[0].trafficLeftOut = 3;
    r.trace[1].line = 2;
    r.trace[1].failure = "why";
    Attempt& earlier = r.retried.emplace_back();
    earlier.traced = true;
    earlier.trace = {r.trace[1]};
    const test::TestFolder folder;
    std::filesystem::create_directories(folder.path() / "scripts");
    ASSERT_TRUE(WriteReport(folder.path(), results));
    const std::string page = ReadWholeFile(folder.path() / "scripts/1.html").value_or("");

    const std::regex address(R"re(<tr class="(ok|failed)" id="([a-z0-9-]+)")re");
    std::vector<std::string> ids;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), address);
         it != std::sregex_iterator(); ++it) {
        ids.push_back((*it)[2]);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"run-1-step-1", "step-1", "step-2"}));
    EXPECT_NE(page.find("<td class=\"traffic\"><pre class=\"traffic\">5 ms COM7: read "
                        "&lt;3F&gt;\n6 ms GPS1: read $GPGGA\n</pre><p class=\"note\">3 more "
                        "lines of traffic left out</p></td>"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<table class=\"trace\" id=\"trace\">"), std::string::npos);
    EXPECT_NE(page.find("<section id=\"viewer\" hidden>"), std::string::npos);
    EXPECT_NE(page.find("<code>#step-N</code>"), std::string::npos) << "the address, said";
}

// "DIR/" names DIR, whether it is there yet or holds an earlier report: the
// new report is written beside it and takes its place.
TEST(ReportFolderTest, AFolderNamedWithATrailingSlashIsReplacedWhole) {
    test::TestFolder top;
    for (const char* name : {"new/", "new/"}) {  // made, then replaced
        const std::filesystem::path folder = top.path() / name;
        ReportFolder report;
        const platform::Result<void> prepared = report.Prepare(folder);
        ASSERT_TRUE(prepared) << prepared.error();
        EXPECT_EQ(report.Staging().parent_path(), top.path()) << report.Staging();
        ASSERT_TRUE(WriteWholeFile(report.Staging() / "index.html", "report"));
        const platform::Result<void> committed = report.Commit();
        ASSERT_TRUE(committed) << committed.error();
        EXPECT_EQ(ReadWholeFile(top.path() / "new" / "index.html"), "report");
    }
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(top.path())) {
        left.push_back(script::Utf8FromPath(entry.path().filename()));
    }
    EXPECT_EQ(left, std::vector<std::string>{"new"});
}

}  // namespace
}  // namespace program::detail
