// The command line of kestrin.exe: the shared options and the PC's own, read
// by the program layer's parser with the seam's table, and its usage.
#include "win32/seam.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/options.h"

namespace win32 {
namespace {

struct Parsed {
    program::ParsedOptions shared;
    Options own;
};

Parsed Parse(std::vector<std::string_view> args) {
    Seam seam;
    Parsed p{program::ParseOptions(args, seam.OwnOptions()), {}};
    p.own = seam.options();
    return p;
}

TEST(Win32SeamTest, TheIssuesCommandLineAndItsDefaults) {
    const Parsed none = Parse({});
    ASSERT_TRUE(none.shared.options) << none.shared.error;
    EXPECT_EQ(none.own.root, "");
    EXPECT_EQ(none.own.com7Port, "COM7");
    EXPECT_EQ(none.shared.options->scale, 2);

    const Parsed run =
        Parse({"--root", "D:\\bench\\unit", "--headless", "--real-time", "--script", "a.script",
               "more", "--com7", "com12", "--scale", "3", "--junit", "r.xml", "--debug-echo"});
    ASSERT_TRUE(run.shared.options) << run.shared.error;
    const program::Options& o = *run.shared.options;
    EXPECT_EQ(run.own.root, "D:\\bench\\unit");
    EXPECT_EQ(run.own.com7Port, "com12");
    EXPECT_TRUE(o.headless && o.realTime && run.own.debugEcho);
    EXPECT_EQ(o.scripts, (std::vector<std::filesystem::path>{"a.script", "more"}));
    EXPECT_EQ(o.suite.junit, std::filesystem::path("r.xml"));
    EXPECT_EQ(o.scale, 3);
    EXPECT_TRUE(Parse({"/?"}).shared.options->help);
    EXPECT_EQ(Parse({"--record", "visit.ks"}).shared.options->record,
              std::filesystem::path("visit.ks"));
}

TEST(Win32SeamTest, BadCommandLinesAreRefusedWithTheReason) {
    const std::pair<std::vector<std::string_view>, std::string> cases[] = {
        {{"--root"}, "--root needs a value"},
        {{"--script"}, "--script needs a value"},
        {{"--script", ""}, "--script takes no empty name"},
        {{"--junit", "r.xml"},
         "--junit, --artifacts, --update-screens, --report, --trace, --jobs, --shard and "
         "--timeout go with --script"},
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
        EXPECT_FALSE(parsed.shared.options) << error;
        EXPECT_EQ(parsed.shared.error, error);
    }
}

TEST(Win32SeamTest, TheUsageListsThePcsOptionsAndRecord) {
    Seam seam;
    EXPECT_EQ(program::Usage("kestrin", seam.OwnOptions()),
              "usage: kestrin [--root DIR] [--com7 COMn] [--headless] [--real-time]\n"
              "               [--script FILE|DIR ...] [--junit FILE] [--artifacts DIR]\n"
              "               [--update-screens] [--report DIR] [--trace] [--jobs N]\n"
              "               [--shard K/N] [--timeout MS] [--record FILE] [--screenshot FILE]\n"
              "               [--scale N] [--debug-echo] [--demo] [--version] [--help]\n"
              "  --root DIR         the folder that stands for the unit's file system\n"
              "                     (default: the folder \"unit\" beside the program)\n"
              "  --com7 COMn        the PC's serial port that \"COM7:\" opens (default COM7)\n"
              "  --headless         no window: run the script, or the tour of the pages\n"
              "  --real-time        scripts run on the wall clock (always, on a PC)\n"
              "  --script FILE|DIR  run scripts (a folder: its *.ks and *.script files) against\n"
              "                     the console (implies --headless), each on a fresh backend\n"
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
              "  --screenshot FILE  write the screen as PNG when the run ends\n"
              "  --scale N          window pixels per screen pixel, 1 to 8 (default 2)\n"
              "  --debug-echo       copy the debug output to standard error\n"
              "  --demo             run the dialog framework's demo dialog, not the console\n"
              "  --version          print the version and exit\n"
              "  --help             print this usage and exit\n");
}

}  // namespace
}  // namespace win32
