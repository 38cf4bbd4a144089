// The command line of kestrin.exe: the shared options and the PC's own, read
// by the program layer's parser with the seam's table, and its usage.
#include "win32/seam.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kestrin_tree.h"
#include "program/options.h"

namespace win32 {
namespace {

// A text checked in beside the tests, so that a change to it shows whole in
// review; empty when it cannot be read.
std::string Golden(const char* name) {
    std::ifstream in(std::string(KESTRIN_SOURCE_DIR) + "/win32/program/tests/" + name,
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Parsed {
    program::ParsedOptions shared;
    pc::Options own;
};

Parsed Parse(std::vector<std::string_view> args) {
    Seam seam;
    Parsed p{program::ParseOptions(args, seam.OwnOptions()), {}};
    p.own = seam.options();
    return p;
}

TEST(Win32SeamTest, TheIssuesCommandLineAndItsDefaults) {
    const Parsed none = Parse({});
    ASSERT_TRUE(none.shared.ok()) << none.shared.error();
    EXPECT_EQ(none.own.root, "");
    EXPECT_EQ(none.own.com7Port, "COM7");
    EXPECT_EQ(none.shared->scale, 2);

    const Parsed run =
        Parse({"--root", "D:\\bench\\unit", "--headless", "--real-time", "--script", "a.script",
               "more", "--com7", "com12", "--scale", "3", "--junit", "r.xml", "--debug-echo"});
    ASSERT_TRUE(run.shared.ok()) << run.shared.error();
    const program::Options& o = *run.shared;
    EXPECT_EQ(run.own.root, "D:\\bench\\unit");
    EXPECT_EQ(run.own.com7Port, "com12");
    EXPECT_TRUE(o.headless && o.realTime && run.own.debugEcho);
    EXPECT_EQ(o.scripts, (std::vector<std::filesystem::path>{"a.script", "more"}));
    EXPECT_EQ(o.suite.junit, std::filesystem::path("r.xml"));
    EXPECT_EQ(o.scale, 3);
    EXPECT_TRUE(Parse({"/?"}).shared->help);
    EXPECT_EQ(Parse({"--record", "visit.ks"}).shared->record, std::filesystem::path("visit.ks"));
}

TEST(Win32SeamTest, BadCommandLinesAreRefusedWithTheReason) {
    const std::pair<std::vector<std::string_view>, std::string> cases[] = {
        {{"--root"}, "--root needs a value"},
        {{"--script"}, "--script needs a value"},
        {{"--script", ""}, "--script takes no empty name"},
        {{"--junit", "r.xml"},
         "--junit, --artifacts, --update-screens, --report, --trace, --jobs, --shard, "
         "--durations, --last-failed, --retries, --fail-on-flaky, --repeat-each and --timeout go "
         "with --script"},
        {{"--com7", "COM0"}, "--com7 takes a port name COM1 to COM256, not \"COM0\""},
        {{"--com7", "COM257"}, "--com7 takes a port name COM1 to COM256, not \"COM257\""},
        {{"--com7", "COM07"}, "--com7 takes a port name COM1 to COM256, not \"COM07\""},
        {{"--com7", "\\\\.\\COM3"}, "--com7 takes a port name COM1 to COM256, not \"\\\\.\\COM3\""},
        {{"--com7", "LPT1"}, "--com7 takes a port name COM1 to COM256, not \"LPT1\""},
        {{"--scale", "9"}, "--scale takes a whole number from 1 to 8, not \"9\""},
        {{"--scale", "2x"}, "--scale takes a whole number from 1 to 8, not \"2x\""},
        {{"--headless", "--headless"}, "--headless is given twice"},
        {{"--unit", "u"},
         "--unit names a virtual unit; on a PC give the folder that stands for the unit's file "
         "system with --root"},
        {{"--fresh-copy"}, "unknown argument \"--fresh-copy\""},
        {{"--record", "r.ks", "--headless"},
         "--record records the window: not with --script or --headless"},
    };
    for (const auto& [args, error] : cases) {
        const Parsed parsed = Parse(args);
        EXPECT_FALSE(parsed.shared.ok()) << error;
        EXPECT_EQ(parsed.shared.error(), error);
    }
}

TEST(Win32SeamTest, TheUsageListsThePcsOptionsAndRecord) {
    Seam seam;
    const std::string golden = Golden("kestrin-usage.txt");
    ASSERT_FALSE(golden.empty()) << "win32/program/tests/kestrin-usage.txt cannot be read";
    EXPECT_EQ(program::Usage("kestrin", seam.OwnOptions()), golden);
}

}  // namespace
}  // namespace win32
