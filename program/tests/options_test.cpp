// The one parser and usage of both programs, with a made-up backend's table:
// its own options reach it, the shared ones land in Options, and the usage
// follows the backend's order and words.
#include "program/options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kestrin_tree.h"

namespace program {
namespace {

// A text checked in beside the tests, so that a change to it shows whole in
// review; empty when it cannot be read.
std::string Golden(const char* name) {
    std::ifstream in(std::string(KESTRIN_SOURCE_DIR) + "/program/tests/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Own {
    bool fast = false;
    std::optional<std::filesystem::path> port;
    std::vector<std::string> taken;
};

std::vector<OptionSpec> Table(Own* own) {
    OptionSpec port = PathOption("--port", "NAME", "the port\nto use", &own->port);
    port.endProduct = true;
    OptionSpec checked;
    checked.name = "--level";
    checked.takes = OptionSpec::Takes::Value;
    checked.value = "N";
    checked.help = "how loud";
    checked.before = "--record";
    checked.take = [own](std::string_view v) -> platform::Result<void> {
        if (v != "1" && v != "2") {
            return platform::Fail("--level takes 1 or 2");
        }
        own->taken.emplace_back(v);
        return {};
    };
    OptionSpec refused;
    refused.name = "--old";
    refused.hidden = true;
    refused.take = [](std::string_view) -> platform::Result<void> {
        return platform::Fail("--old is gone");
    };
    OptionSpec alias;
    alias.name = "/?";
    alias.sameAs = "--help";
    alias.hidden = true;
    OptionSpec fast = FlagOption("--fast", "quickly", &own->fast);
    fast.before = "--no-such-option";
    return {Shared("--script", "the scripts"),
            std::move(fast),
            std::move(port),
            std::move(checked),
            Shared("--real-time", "on the wall clock"),
            std::move(refused),
            std::move(alias)};
}

TEST(OptionsTest, SharedOptionsLandInOptionsAndTheBackendsReachItsTable) {
    Own own;
    const ParsedOptions parsed = ParseOptions(
        std::vector<std::string_view>{"--script", "a.ks",    "dir",       "--fast",   "--port",
                                      "COM3",     "--level", "2",         "--junit",  "r.xml",
                                      "--scale",  "4",       "/?",        "--script", "b.ks",
                                      "--report", "out",     "--trace",   "--jobs",   "3",
                                      "--shard",  "2/5",     "--timeout", "0"},
        Table(&own));
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(parsed->scripts, (std::vector<std::filesystem::path>{"a.ks", "dir", "b.ks"}));
    EXPECT_EQ(parsed->suite.junit, std::filesystem::path("r.xml"));
    EXPECT_EQ(parsed->suite.report, std::filesystem::path("out"));
    EXPECT_TRUE(parsed->suite.trace);
    EXPECT_EQ(parsed->suite.jobs, 3);
    ASSERT_TRUE(parsed->suite.shard);
    EXPECT_EQ(parsed->suite.shard->k, 2);
    EXPECT_EQ(parsed->suite.shard->n, 5);
    EXPECT_EQ(parsed->suite.timeout, std::chrono::milliseconds(0));
    EXPECT_EQ(parsed->suite.commandLine.size(), 24U) << "kept for the workers";
    EXPECT_EQ(parsed->scale, 4);
    EXPECT_TRUE(parsed->help);
    EXPECT_TRUE(own.fast);
    EXPECT_EQ(own.port, std::filesystem::path("COM3"));
    EXPECT_EQ(own.taken, std::vector<std::string>{"2"});
}

TEST(OptionsTest, TheMergeOfReportsTakesItsFoldersAndAJUnitFile) {
    Own own;
    const ParsedOptions parsed = ParseOptions(
        std::vector<std::string_view>{"--merge-reports", "all", "r1", "r2", "--junit", "all.xml"},
        Table(&own));
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(parsed->mergeReports, (std::vector<std::filesystem::path>{"all", "r1", "r2"}));
    EXPECT_EQ(parsed->suite.junit, std::filesystem::path("all.xml"));
}

TEST(OptionsTest, BadCommandLinesAreRefusedWithTheReason) {
    const std::pair<std::vector<std::string_view>, std::string> cases[] = {
        {{"--port"}, "--port needs a value"},
        {{"--port", ""}, "--port needs a value"},
        {{"--level", "3"}, "--level takes 1 or 2"},
        {{"--old"}, "--old is gone"},
        {{"--script"}, "--script needs a value"},
        {{"--script", "--fast"}, "--script needs a value"},
        {{"--script", "a", ""}, "--script takes no empty name"},
        {{"--fast", "--fast"}, "--fast is given twice"},
        {{"--record", "r.ks", "--headless"},
         "--record records the window: not with --script or --headless"},
        {{"--record", "r.ks", "--script", "a"},
         "--record records the window: not with --script or --headless"},
        {{"--artifacts", "out"},
         "--junit, --artifacts, --update-screens, --report, --trace, --jobs, --shard, "
         "--durations, --last-failed, --retries, --fail-on-flaky, --repeat-each and --timeout go "
         "with "
         "--script"},
        {{"--jobs", "2"},
         "--junit, --artifacts, --update-screens, --report, --trace, --jobs, --shard, "
         "--durations, --last-failed, --retries, --fail-on-flaky, --repeat-each and --timeout go "
         "with "
         "--script"},
        {{"--script", "a", "--trace"}, "--trace goes with --report"},
        {{"--script", "a", "--durations", "j.xml"}, "--durations goes with --shard"},
        {{"--last-failed", "r"},
         "--junit, --artifacts, --update-screens, --report, --trace, --jobs, --shard, "
         "--durations, --last-failed, --retries, --fail-on-flaky, --repeat-each and --timeout go "
         "with "
         "--script"},
        {{"--merge-reports", "out"},
         "--merge-reports needs OUT and the report folders to merge into it"},
        {{"--merge-reports", "out", "r1", "--script", "a"},
         "--merge-reports runs nothing: it takes --junit alone"},
        {{"--merge-reports", "out", "r1", "--report", "r"},
         "--merge-reports runs nothing: it takes --junit alone"},
        {{"--timeout", "0"},
         "--junit, --artifacts, --update-screens, --report, --trace, --jobs, --shard, "
         "--durations, --last-failed, --retries, --fail-on-flaky, --repeat-each and --timeout go "
         "with "
         "--script"},
        // A value left out is not taken from the option after it.
        {{"--script", "a", "--report", "--trace"},
         "--report needs a value, not the option \"--trace\""},
        {{"--port", "/?"}, "--port needs a value, not the option \"/?\""},
        {{"--script", "a", "--junit", "--new"}, "--junit needs a value, not the option \"--new\""},
        {{"--script", "a", "--timeout", "-1"},
         "--timeout takes a whole number of milliseconds, 0 or more, not \"-1\""},
        {{"--script", "a", "--timeout", "1e3"},
         "--timeout takes a whole number of milliseconds, 0 or more, not \"1e3\""},
        {{"--script", "a", "--jobs", "0"}, "--jobs takes a whole number from 1 to 64, not \"0\""},
        {{"--script", "a", "--jobs", "65"}, "--jobs takes a whole number from 1 to 64, not \"65\""},
        {{"--script", "a", "--jobs", "2x"}, "--jobs takes a whole number from 1 to 64, not \"2x\""},
        {{"--script", "a", "--shard", "0/3"}, "--shard takes K/N with 1 <= K <= N, not \"0/3\""},
        {{"--script", "a", "--shard", "4/3"}, "--shard takes K/N with 1 <= K <= N, not \"4/3\""},
        {{"--script", "a", "--shard", "1/0"}, "--shard takes K/N with 1 <= K <= N, not \"1/0\""},
        {{"--script", "a", "--shard", "2"}, "--shard takes K/N with 1 <= K <= N, not \"2\""},
        {{"--script", "a", "--shard", "1/3", "--shard", "2/3"}, "--shard is given twice"},
        {{"--script", "a", "--retries", "11"},
         "--retries takes a whole number from 0 to 10, not \"11\""},
        {{"--script", "a", "--fail-on-flaky"}, "--fail-on-flaky goes with --retries"},
        {{"--script", "a", "--repeat-each", "0"},
         "--repeat-each takes a whole number from 1 to 100, not \"0\""},
        {{"--script", "a", "--repeat-each", "5", "--retries", "1"},
         "--repeat-each looks for runs that differ, which --retries would hide: not together"},
        {{"--script", "a", "--repeat-each", "5", "--real-time"},
         "--repeat-each compares runs on the virtual clock: not with --real-time"},
        {{"--merge-reports", "out", "r1", "--retries", "1"},
         "--merge-reports runs nothing: it takes --junit alone"},
        {{"--scale", "0"}, "--scale takes a whole number from 1 to 8, not \"0\""},
        {{"--unit", "u"}, "unknown argument \"--unit\""},
        {{"a.ks"}, "unknown argument \"a.ks\""},
    };
    for (const auto& [args, error] : cases) {
        Own own;
        const ParsedOptions parsed = ParseOptions(args, Table(&own));
        EXPECT_FALSE(parsed) << error;
        EXPECT_EQ(parsed.error(), error);
    }
}

TEST(OptionsTest, TheUsagePlacesTheBackendsOptionsAmongTheSharedOnesInTheirWords) {
    Own own;
    const std::string golden = Golden("usage-of-a-backend-table.txt");
    ASSERT_FALSE(golden.empty()) << "program/tests/usage-of-a-backend-table.txt cannot be read";
    EXPECT_EQ(Usage("kestrin", Table(&own)), golden);
    EXPECT_EQ(EndProductOptions(Table(&own)),
              (std::vector<std::string_view>{"--screenshot", "--port", "--dump-tree"}));
}

}  // namespace
}  // namespace program
