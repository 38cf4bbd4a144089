// The host command line of kestrin: the shared options and the host's own,
// read by the program layer's parser with the seam's table, and its usage.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/seam.h"
#include "kestrin_tree.h"
#include "program/options.h"

namespace host {
namespace {

// A text checked in beside the tests, so that a change to it shows whole in
// review; empty when it cannot be read.
std::string Golden(const char* name) {
    std::ifstream in(std::string(KESTRIN_SOURCE_DIR) + "/host/program/tests/" + name,
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Parsed {
    program::ParsedOptions shared;
    UnitOptions own;
};

Parsed Parse(std::vector<std::string_view> args) {
    Seam seam({"built-in", {}});
    Parsed p{program::ParseOptions(args, seam.OwnOptions()), {}};
    p.own = seam.options();
    return p;
}

TEST(HostSeamTest, EveryOptionAndTheDefaults) {
    const Parsed none = Parse({});
    ASSERT_TRUE(none.shared.ok()) << none.shared.error();
    EXPECT_FALSE(none.own.unitDir.has_value());
    EXPECT_FALSE(none.shared->headless);
    EXPECT_EQ(none.shared->scale, 2);
    EXPECT_FALSE(none.shared->demo);

    const Parsed all =
        Parse({"--unit", "u", "--fresh-copy", "--headless", "--script", "s.script", "--scale", "3",
               "--screenshot", "end.png", "--audio-out", "run.wav", "--debug-echo", "--demo"});
    ASSERT_TRUE(all.shared.ok()) << all.shared.error();
    const program::Options& o = *all.shared;
    EXPECT_EQ(all.own.unitDir, std::filesystem::path("u"));
    EXPECT_TRUE(all.own.freshCopy);
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.scripts, std::vector<std::filesystem::path>{"s.script"});
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.screenshot, std::filesystem::path("end.png"));
    EXPECT_EQ(all.own.audioOut, std::filesystem::path("run.wav"));
    EXPECT_TRUE(all.own.debugEcho);
    EXPECT_TRUE(o.demo);
    EXPECT_TRUE(Parse({"--help"}).shared->help);
    EXPECT_TRUE(Parse({"-h"}).shared->help);
    EXPECT_TRUE(Parse({"--version"}).shared->version);
}

TEST(HostSeamTest, WhatIsRefused) {
    struct Case {
        std::vector<std::string_view> args;
        const char* error;
    };
    const std::vector<Case> cases = {
        {{"--unit"}, "--unit needs a value"},
        {{"--unit", ""}, "--unit needs a value"},
        {{"--script"}, "--script needs a value"},
        {{"--scale"}, "--scale needs a value"},
        {{"--scale", "0"}, "--scale takes a whole number from 1 to 8, not \"0\""},
        {{"--scale", "9"}, "from 1 to 8"},
        {{"--scale", "2x"}, "from 1 to 8"},
        {{"--headless", "--headless"}, "--headless is given twice"},
        {{"--unit", "a", "--unit", "b"}, "--unit is given twice"},
        {{"--units", "a"}, "unknown argument \"--units\""},
        {{"tour.script"}, "unknown argument \"tour.script\""},
        {{"/?"}, "unknown argument \"/?\""},
        {{"--root", "r"}, "unknown argument \"--root\""},
    };
    for (const Case& k : cases) {
        const Parsed r = Parse(k.args);
        EXPECT_FALSE(r.shared.ok()) << k.error;
        EXPECT_NE(r.shared.error().find(k.error), std::string::npos) << r.shared.error();
    }
}

TEST(HostSeamTest, TheUsageListsTheOptionsInTheHostsOrderAndWords) {
    Seam seam({"built-in", {}});
    const std::string golden = Golden("kestrin-usage.txt");
    ASSERT_FALSE(golden.empty()) << "host/program/tests/kestrin-usage.txt cannot be read";
    EXPECT_EQ(program::Usage("kestrin", seam.OwnOptions()), golden);
}

}  // namespace
}  // namespace host
