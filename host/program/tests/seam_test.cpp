// The host command line of kestrin: the shared options and the host's own,
// read by the program layer's parser with the seam's table, and its usage.
#include <gtest/gtest.h>

#include <vector>

#include "host/seam.h"
#include "program/options.h"

namespace host {
namespace {

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
    ASSERT_TRUE(none.shared.options.has_value()) << none.shared.error;
    EXPECT_FALSE(none.own.unitDir.has_value());
    EXPECT_FALSE(none.shared.options->headless);
    EXPECT_EQ(none.shared.options->scale, 2);
    EXPECT_FALSE(none.shared.options->demo);

    const Parsed all =
        Parse({"--unit", "u", "--fresh-copy", "--headless", "--script", "s.script", "--scale", "3",
               "--screenshot", "end.png", "--audio-out", "run.wav", "--debug-echo", "--demo"});
    ASSERT_TRUE(all.shared.options.has_value()) << all.shared.error;
    const program::Options& o = *all.shared.options;
    EXPECT_EQ(all.own.unitDir, std::filesystem::path("u"));
    EXPECT_TRUE(all.own.freshCopy);
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.scripts, std::vector<std::filesystem::path>{"s.script"});
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.screenshot, std::filesystem::path("end.png"));
    EXPECT_EQ(all.own.audioOut, std::filesystem::path("run.wav"));
    EXPECT_TRUE(all.own.debugEcho);
    EXPECT_TRUE(o.demo);
    EXPECT_TRUE(Parse({"--help"}).shared.options->help);
    EXPECT_TRUE(Parse({"-h"}).shared.options->help);
    EXPECT_TRUE(Parse({"--version"}).shared.options->version);
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
        EXPECT_FALSE(r.shared.options.has_value()) << k.error;
        EXPECT_NE(r.shared.error.find(k.error), std::string::npos) << r.shared.error;
    }
}

TEST(HostSeamTest, TheUsageListsTheOptionsInTheHostsOrderAndWords) {
    Seam seam({"built-in", {}});
    EXPECT_EQ(program::Usage("kestrin", seam.OwnOptions()),
              "usage: kestrin [--unit DIR] [--fresh-copy] [--headless] [--script FILE|DIR ...]\n"
              "               [--real-time] [--junit FILE] [--artifacts DIR] [--update-screens]\n"
              "               [--report DIR] [--trace] [--jobs N] [--shard K/N] [--timeout MS]\n"
              "               [--record FILE] [--scale N] [--screenshot FILE] [--audio-out FILE]\n"
              "               [--debug-echo] [--demo] [--version] [--help]\n"
              "  --unit DIR         run on the unit in DIR (default: a fresh copy of\n"
              "                     $KESTRIN_UNIT_DIR, else of the default unit)\n"
              "  --fresh-copy       run on a temporary copy of the unit instead\n"
              "  --headless         no window: run the script, or the tour of the pages\n"
              "  --script FILE|DIR  run scripts (a folder: its *.ks and *.script files) on\n"
              "                     the virtual clock (implies --headless), each on a fresh\n"
              "                     copy of the unit (a single file: on --unit in place)\n"
              "  --real-time        run the scripts on the wall clock (for host devices)\n"
              "  --junit FILE       write a JUnit XML report of the scripts\n"
              "  --artifacts DIR    keep the screen, debug lines and output of failed scripts\n"
              "  --update-screens   `expect screen` writes its reference instead of comparing\n"
              "  --report DIR       write an HTML report of the scripts into DIR, with the\n"
              "                     trace of each failed one (index.html)\n"
              "  --trace            keep the trace of passing scripts in the report too\n"
              "  --jobs N           run N scripts at a time, each in a process of its own\n"
              "                     (1 to 64, default 1)\n"
              "  --shard K/N        run only the K-th of N slices of the scripts (K from 1)\n"
              "  --timeout MS       end a script past MS milliseconds of wall time and report\n"
              "                     it failed at its line (default 600000, 10 minutes; 0: none)\n"
              "  --record FILE      write what is done in the window as a script\n"
              "  --scale N          window pixels per screen pixel, 1 to 8 (default 2)\n"
              "  --screenshot FILE  write the screen as PNG when the run ends\n"
              "  --audio-out FILE   write the run's sound as WAV when the run ends\n"
              "  --debug-echo       copy the unit's debug output to standard error\n"
              "  --demo             run the dialog framework's demo dialog, not the console\n"
              "  --version          print the version and exit\n"
              "  --help             print this usage and exit\n");
}

}  // namespace
}  // namespace host
