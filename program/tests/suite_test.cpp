// What a suite makes of the names it is given: the scripts a folder holds
// (in any case of their extension), what cannot be read as a script, and
// JUnit names that tell every script apart and show what a name hides.
#include "program/suite.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "script/run_observer.h"
#include "script/utf8_path.h"
#include "test_folder.h"
#include "whole_file.h"

namespace program {
namespace {

// U+202E, which shows the text after it right to left (made here, not
// written in a literal, where it would be the trick it is).
const std::string kRlo = {'\xe2', '\x80', '\xae'};

TEST(SuiteTest, AFolderGivesItsScriptsInAnyCaseAndWhatCannotBeReadIsSaid) {
    const test::TestFolder folder;
    for (const char* name : {"a.ks", "B.KS", "c.Ks", "d.SCRIPT", "e.script", "notes.txt"}) {
        folder.Write(std::filesystem::path("suite") / name, "quit\n");
    }
    std::filesystem::create_directories(folder.path() / "suite" / "sub.ks");
    std::vector<std::filesystem::path> scripts;
    std::vector<std::string> errors;
    EXPECT_TRUE(CollectScripts({folder.path() / "suite"}, &scripts, &errors));
    std::vector<std::string> names;
    names.reserve(scripts.size());
    for (const std::filesystem::path& s : scripts) {
        names.push_back(s.filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"B.KS", "a.ks", "c.Ks", "d.SCRIPT", "e.script"}));
    EXPECT_TRUE(errors.empty());

    const std::filesystem::path missing = folder.path() / "missing.ks";
    std::vector<std::pair<std::filesystem::path, std::string>> refused = {
        {missing, ShownName(missing) + ": no such script or folder"}};
#ifndef _WIN32
    // Neither blocks the suite: a FIFO named directly or found in a folder,
    // a link to nothing.
    const std::filesystem::path fifo = folder.path() / "fifo.ks";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    refused.emplace_back(fifo, ShownName(fifo) + ": not a script file but a FIFO");
    folder.Write("odd/ok.ks", "quit\n");
    const std::filesystem::path dangling = folder.path() / "odd" / "gone.ks";
    std::filesystem::create_symlink(folder.path() / "nowhere", dangling);
    refused.emplace_back(
        folder.path() / "odd",
        ShownName(dangling) + ": not a script file but a symbolic link to nothing");
#endif
    for (const auto& [name, error] : refused) {
        scripts.clear();
        errors.clear();
        EXPECT_FALSE(CollectScripts({name}, &scripts, &errors)) << name;
        EXPECT_EQ(errors, std::vector<std::string>{error});
    }
}

TEST(SuiteTest, JUnitTellsEveryScriptApartAndShowsWhatANameHides) {
    const std::vector<std::filesystem::path> files = {
        "s2/x.ks", "s2/s2/x.ks", "s2/sub/x.ks",
        script::PathFromUtf8("s2/line\nbreak" + kRlo + ".ks")};
    const std::filesystem::path common = CommonFolder(files);
    const std::vector<std::string> classes = {"s2", "s2/s2", "sub", "s2"};
    std::vector<ScriptResult> results;
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(ClassName(files[i], common), classes[i]) << files[i];
        ScriptResult& r = results.emplace_back();
        r.file = files[i];
        r.className = ClassName(files[i], common);
        r.passed = i == 0;
        r.error = i == 3;
        r.failure = i == 0 ? "" : "why";
    }
    EXPECT_EQ(Verdict(results), "1 passed, 2 failed, 1 error");
    const test::TestFolder folder;
    // An earlier report is replaced.
    const std::filesystem::path file = folder.Write("junit.xml", "an earlier report");
    const platform::Result<void> written = WriteJUnit(file, results);
    ASSERT_TRUE(written) << written.error();
    const std::string xml = detail::ReadWholeFile(file).value_or("");
    for (
        const char* expected :
        {"tests=\"4\" failures=\"2\" errors=\"1\"",
         "<testcase name=\"x.ks\" classname=\"s2\" file=\"s2/x.ks\"",
         "<testcase name=\"x.ks\" classname=\"s2/s2\" file=\"s2/s2/x.ks\"",
         R"(<testcase name="line\x0Abreak\xE2\x80\xAE.ks" classname="s2" file="s2/line\x0Abreak\xE2\x80\xAE.ks")",
         "<failure message=\"why\" type=\"script\">why</failure>",
         "<error message=\"why\" type=\"worker\">why</error>"}) {
        EXPECT_NE(xml.find(expected), std::string::npos) << expected << "\n" << xml;
    }
    EXPECT_EQ(xml.find(kRlo), std::string::npos);
}

// --retries: how many runs a script gets, what the closing line calls it
// and the status, by how many of its first runs fail.
TEST(SuiteTest, AScriptThatPassesOnARetryIsFlakyAndFailsTheRunOnlyWhenAskedTo) {
    struct Row {
        int retries;
        int failingRuns;  // its first runs that fail
        bool failOnFlaky;
        int runs;
        const char* verdict;
        int status;
    };
    const Row rows[] = {
        {0, 0, false, 1, "1 passed, 0 failed", script::kExitPassed},
        {0, 1, false, 1, "0 passed, 1 failed", script::kExitFailed},
        {1, 0, false, 1, "1 passed, 0 failed", script::kExitPassed},
        {1, 1, false, 2, "0 passed, 0 failed, 1 flaky", script::kExitPassed},
        {1, 1, true, 2, "0 passed, 0 failed, 1 flaky", script::kExitFailed},
        {1, 2, false, 2, "0 passed, 1 failed", script::kExitFailed},
        {2, 2, false, 3, "0 passed, 0 failed, 1 flaky", script::kExitPassed},
        {2, 3, true, 3, "0 passed, 1 failed", script::kExitFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "retries " << row.retries << ", failing runs " << row.failingRuns
                     << ", fail on flaky " << row.failOnFlaky);
        script::ParseResult parsed = script::ParseScript("quit\n", "s.ks");
        ASSERT_TRUE(parsed);
        std::vector<SuiteScript> scripts;
        scripts.push_back({"s.ks", std::move(*parsed)});
        SuiteOptions options;
        options.retries = row.retries;
        options.failOnFlaky = row.failOnFlaky;
        int runs = 0;
        const RunOne runOne = [&](const script::Script&, const script::RunnerOptions&,
                                  std::ostream&) -> RunOutcome {
            if (++runs <= row.failingRuns) {
                return {script::kExitFailed, "s.ks:1: quit: run " + std::to_string(runs)};
            }
            return {};
        };
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunSuite(scripts, options, false, std::nullopt, runOne, out, err), row.status);
        EXPECT_EQ(runs, row.runs);
        EXPECT_EQ(out.str(), std::string(row.verdict) + "\n");
    }
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
// Only a process can be ended from outside: a script stuck in the
// program's own process past its limit and grace ends the program, saying
// the line it was on.
TEST(SuiteTest, AScriptStuckInTheProgramsOwnProcessPastItsLimitEndsTheProgram) {
    // A fresh process for the child, unless the test runs under an emulator
    // (qemu-user), where the child cannot exec the program's own file: the
    // forked child is then alone in its process too, as ctest runs one test
    // per process.
    if (std::getenv("KESTRIN_EMULATOR") == nullptr) {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    script::ParseResult parsed = script::ParseScript("tab 2\nwait 5000\n", "stuck.ks");
    ASSERT_TRUE(parsed);
    std::vector<SuiteScript> scripts;
    scripts.push_back({"stuck.ks", std::move(*parsed)});
    SuiteOptions options;
    options.timeout = std::chrono::milliseconds(1000);
    const RunOne stuck = [](const script::Script& s, const script::RunnerOptions& o,
                            std::ostream&) -> RunOutcome {
        o.observer->CommandStarted(s.commands.front());
        std::this_thread::sleep_for(std::chrono::minutes(1));
        return {};
    };
    std::ostringstream out;
    EXPECT_EXIT(RunSuite(scripts, options, false, std::nullopt, stuck, out, out),
                testing::ExitedWithCode(script::kExitFailed),
                "^stuck.ks:1: tab 2: past the script's time limit of 1 s; the program ends\n$");
}
#endif

}  // namespace
}  // namespace program
