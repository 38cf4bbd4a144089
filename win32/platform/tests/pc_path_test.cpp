#include "pc_path.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace win32 {
namespace {

struct PathCase {
    const char* unitPath;
    PathUse use;
    std::optional<std::string> relative;
};

TEST(PcPathTest, UnitPathsStayBelowTheRoot) {
    const PathCase cases[] = {
        {"\\Mounted Volume\\Vesk\\calib.dat", PathUse::File, "Mounted Volume\\Vesk\\calib.dat"},
        {"\\", PathUse::File, ""},
        {"\\Mounted Volume\\", PathUse::File, "Mounted Volume\\"},
        {"\\Mounted Volume\\*.map", PathUse::Pattern, "Mounted Volume\\*.map"},
        {"\\a\\com10", PathUse::File, "a\\com10"},
        {"\\a\\console.txt", PathUse::File, "a\\console.txt"},
        // Ways out of the root, or to something other than a file below it.
        {"Mounted Volume\\x", PathUse::File, std::nullopt},
        {"", PathUse::File, std::nullopt},
        {"\\a\\..\\..\\x", PathUse::File, std::nullopt},
        {"\\a\\.\\x", PathUse::File, std::nullopt},
        {"\\\\server\\share\\x", PathUse::File, std::nullopt},
        {"\\a\\\\x", PathUse::File, std::nullopt},
        {"\\C:\\windows\\x", PathUse::File, std::nullopt},
        {"\\a\\x:stream", PathUse::File, std::nullopt},
        {"\\a/../../x", PathUse::File, std::nullopt},
        {"\\a\\x\x01", PathUse::File, std::nullopt},
        {"\\a\\x|y", PathUse::File, std::nullopt},
        {"\\a\\NUL", PathUse::File, std::nullopt},
        {"\\a\\con.txt", PathUse::File, std::nullopt},
        {"\\a\\Com1", PathUse::File, std::nullopt},
        {"\\a\\LPT9.log", PathUse::File, std::nullopt},
        {"\\a\\*.map", PathUse::File, std::nullopt},
        {"\\*\\x.map", PathUse::Pattern, std::nullopt},
        {"\\a\\*\\", PathUse::Pattern, std::nullopt},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(RelativePcPath(c.unitPath, c.use), c.relative) << c.unitPath;
    }
    EXPECT_EQ(JoinPcPath("C:\\pc\\unit\\", "Mounted Volume\\x"), "C:\\pc\\unit\\Mounted Volume\\x");
}

TEST(PcPathTest, WildcardsMatchLongNamesAsTheUnitDoes) {
    struct MatchCase {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const MatchCase cases[] = {
        {"*.map", "Spain.MAP", true},
        {"*.map", "a.mapx", false},
        {"*.*", "README", true},
        {"*.*", "a.b", true},
        {"?.rte", "1.rte", true},
        {"?.rte", "12.rte", false},
        {"?.txt", "\xC3\xA9.txt", true},
        {"Vesk*", "vesknavi.exe", true},
        {"x", "xy", false},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(UnitWildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
    EXPECT_TRUE(NameLess("apple", "Banana"));
    EXPECT_EQ(PatternName("\\Mounted Volume\\*.map"), "*.map");
}

}  // namespace
}  // namespace win32
