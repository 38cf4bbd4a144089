#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gps/gps_main.h"
#include "gps/host_arguments.h"
#include "test_support/recording_platform.h"

namespace {

using gps::ExtractUnitOption;
using gps::JoinHostArguments;
using Words = std::vector<std::string_view>;

TEST(JoinHostArguments, JoinsWithSingleSpacesKeepingEachWord) {
    struct JoinCase {
        Words words;
        std::string line;
    };
    const JoinCase cases[] = {
        {{}, ""},
        {{"on", "GPS"}, "on GPS"},
        {{"off  12"}, "off  12"},  // one quoted argument passes through
        {{"off", " 12"}, "off  12"},
        {{"on"}, "on"},
        {{"on", ""}, "on "},
        {{"on", "GPS", "2"}, "on GPS 2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinHostArguments(c.words), c.line) << c.line;
    }
}

TEST(ExtractUnitOption, RemovesTheOptionWherever) {
    struct ExtractCase {
        Words arguments;
        Words words;
        std::optional<std::string_view> unit;
        bool missing;
    };
    const ExtractCase cases[] = {
        {{"on", "GPS"}, {"on", "GPS"}, std::nullopt, false},
        {{"on", "GPS", "--unit", "/u"}, {"on", "GPS"}, "/u", false},
        {{"--unit", "/u", "off", "12"}, {"off", "12"}, "/u", false},
        {{"off", "--unit", "/u", "12"}, {"off", "12"}, "/u", false},
        {{"--unit", "/a", "on", "X", "--unit", "/b"}, {"on", "X"}, "/b", false},
        {{"on", "GPS", "--unit"}, {"on", "GPS"}, std::nullopt, true},
        {{"on", "GPS", "--unit", ""}, {"on", "GPS"}, std::nullopt, true},
        {{"--unit", "/a", "on", "X", "--unit"}, {"on", "X"}, "/a", true},
        {{"on --unit /u"}, {"on --unit /u"}, std::nullopt, false},  // one quoted argument
        {{"--unit=/u", "on"}, {"--unit=/u", "on"}, std::nullopt, false},
        {{}, {}, std::nullopt, false},
    };
    for (const auto& c : cases) {
        const gps::HostArguments out = ExtractUnitOption(c.arguments);
        const std::string label = JoinHostArguments(c.arguments);
        EXPECT_EQ(out.words, c.words) << label;
        EXPECT_EQ(out.unitDirectory, c.unit) << label;
        EXPECT_EQ(out.unitDirectoryMissing, c.missing) << label;
    }
}

TEST(VersionOrHelp, AnswersOnlyWhenAloneOnTheLine) {
    struct AloneCase {
        Words arguments;
        std::optional<std::string> printed;
    };
    const AloneCase cases[] = {
        {{"--version"}, "gps 1.0\n"},
        {{"--help"}, "usage: gps X\n       gps --version | --help\n"},
        {{"-h"}, "usage: gps X\n       gps --version | --help\n"},
        {{}, std::nullopt},
        {{"--version", "on"}, std::nullopt},
        {{"on", "--help"}, std::nullopt},
        {{"--Version"}, std::nullopt},
        {{"-help"}, std::nullopt},
    };
    for (const AloneCase& c : cases) {
        EXPECT_EQ(gps::VersionOrHelp(c.arguments, "gps 1.0\n", "usage: gps X\n"), c.printed)
            << (c.arguments.empty() ? "(none)" : c.arguments[0]);
    }
}

TEST(HostCommandLine, QuotedSpacesReachTheDriverName) {
    test_support::RecordingPlatform unit;
    unit.registry.keys = {{"Drivers\\Active\\ 12", test_support::Dword(0x99U)}};
    platform::ScopedServices installed(unit.AsServices());

    const Words argv = {"--unit", "/u", "off  12"};
    const gps::HostArguments host = ExtractUnitOption(argv);
    EXPECT_EQ(gps::GpsMain(JoinHostArguments(host.words)), 0);
    ASSERT_FALSE(unit.log.empty());
    EXPECT_EQ(unit.log.front(), "RegOpenKeyEx(HKLM, Drivers\\Active\\ 12, 0, 1)");
    EXPECT_EQ(unit.log.back(), "CloseHandle(0x99)");
}

}  // namespace
