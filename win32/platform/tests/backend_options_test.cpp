#include "win32/backend_options.h"

#include <gtest/gtest.h>

namespace win32 {
namespace {

TEST(BackendOptionsTest, TakesTheBackendsOptionsAndLeavesTheRest) {
    std::vector<std::string> args = {"--root", "C:\\bench\\unit", "--headless", "--com7",
                                     "com3",   "--debug-echo",    "--script",   "a.script"};
    Options o;
    EXPECT_EQ(TakeBackendOptions(args, &o), std::nullopt);
    EXPECT_EQ(args, (std::vector<std::string>{"--headless", "--script", "a.script"}));
    EXPECT_EQ(o.root, "C:\\bench\\unit");
    EXPECT_EQ(o.com7Port, "com3");
    EXPECT_TRUE(o.debugEcho);

    const std::vector<std::string> bad[] = {
        {"--root"},           {"--com7", ""},      {"--com7", "LPT1"},        {"--com7", "COM0"},
        {"--com7", "COM257"}, {"--com7", "COM3:"}, {"--com7", "\\\\.\\COM3"},
    };
    for (std::vector<std::string> b : bad) {
        Options ignored;
        EXPECT_NE(TakeBackendOptions(b, &ignored), std::nullopt) << b.back();
    }
}

}  // namespace
}  // namespace win32
