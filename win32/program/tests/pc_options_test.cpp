#include "pc/pc_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pc {
namespace {

ParsedPcOptions Parse(std::vector<std::string_view> args) {
    return ParsePcOptions(args);
}

TEST(PcOptionsTest, TheIssuesCommandLineAndItsDefaults) {
    const ParsedPcOptions none = Parse({});
    ASSERT_TRUE(none.options) << none.error;
    EXPECT_FALSE(none.options->root);
    EXPECT_EQ(none.options->com7Port, "COM7");
    EXPECT_EQ(none.options->scale, 2);

    const ParsedPcOptions run =
        Parse({"--root", "D:\\bench\\unit", "--headless", "--real-time", "--script", "a.script",
               "more", "--com7", "com12", "--scale", "3", "--junit", "r.xml", "--debug-echo"});
    ASSERT_TRUE(run.options) << run.error;
    EXPECT_EQ(run.options->root, "D:\\bench\\unit");
    EXPECT_EQ(run.options->com7Port, "com12");
    EXPECT_TRUE(run.options->headless && run.options->realTime && run.options->debugEcho);
    EXPECT_EQ(run.options->scripts, (std::vector<std::string>{"a.script", "more"}));
    EXPECT_EQ(run.options->junit, "r.xml");
    EXPECT_EQ(run.options->scale, 3);
}

TEST(PcOptionsTest, BadCommandLinesAreRefusedWithTheReason) {
    const std::pair<std::vector<std::string_view>, std::string> cases[] = {
        {{"--root"}, "--root needs a value"},
        {{"--script"}, "--script needs a value"},
        {{"--script", ""}, "--script takes no empty name"},
        {{"--junit", "r.xml"}, "--junit, --artifacts and --update-screens go with --script"},
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
    };
    for (const auto& [args, error] : cases) {
        const ParsedPcOptions parsed = Parse(args);
        EXPECT_FALSE(parsed.options) << error;
        EXPECT_EQ(parsed.error, error);
    }
}

}  // namespace
}  // namespace pc
