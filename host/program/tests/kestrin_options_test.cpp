// The host command line of kestrin.
#include <gtest/gtest.h>

#include <vector>

#include "program/kestrin_options.h"

namespace program {
namespace {

ParsedKestrinOptions Parse(std::vector<std::string_view> args) {
    return ParseKestrinOptions(args);
}

TEST(KestrinOptionsTest, EveryOptionAndTheDefaults) {
    const ParsedKestrinOptions none = Parse({});
    ASSERT_TRUE(none.options.has_value()) << none.error;
    EXPECT_FALSE(none.options->unitDir.has_value());
    EXPECT_FALSE(none.options->headless);
    EXPECT_EQ(none.options->scale, 2);
    EXPECT_FALSE(none.options->demo);

    const ParsedKestrinOptions all =
        Parse({"--unit", "u", "--fresh-copy", "--headless", "--script", "s.script", "--scale", "3",
               "--screenshot", "end.png", "--audio-out", "run.wav", "--debug-echo", "--demo"});
    ASSERT_TRUE(all.options.has_value()) << all.error;
    const KestrinOptions& o = *all.options;
    EXPECT_EQ(o.unitDir, std::filesystem::path("u"));
    EXPECT_TRUE(o.freshCopy);
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.scripts, std::vector<std::filesystem::path>{"s.script"});
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.screenshot, std::filesystem::path("end.png"));
    EXPECT_EQ(o.audioOut, std::filesystem::path("run.wav"));
    EXPECT_TRUE(o.debugEcho);
    EXPECT_TRUE(o.demo);
    EXPECT_TRUE(Parse({"--help"}).options->help);
}

TEST(KestrinOptionsTest, WhatIsRefused) {
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
    };
    for (const Case& k : cases) {
        const ParsedKestrinOptions r = ParseKestrinOptions(k.args);
        EXPECT_FALSE(r.options.has_value()) << k.error;
        EXPECT_NE(r.error.find(k.error), std::string::npos) << r.error;
    }
}

}  // namespace
}  // namespace program
