#include "pc_path.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace win32::pc {
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
        // Windows reads the superscript digits as 1, 2 and 3 in these names.
        {"\\a\\COM\xC2\xB9", PathUse::File, std::nullopt},
        {"\\a\\com\xC2\xB2.txt", PathUse::File, std::nullopt},
        {"\\a\\COM\xC2\xB3 .log", PathUse::File, std::nullopt},
        {"\\a\\LPT\xC2\xB9", PathUse::File, std::nullopt},
        {"\\a\\lpt\xC2\xB2.x.y", PathUse::File, std::nullopt},
        {"\\a\\LPT\xC2\xB3", PathUse::File, std::nullopt},
        {"\\a\\COM\xC2\xB9\\x", PathUse::File, std::nullopt},
        {"\\a\\COM\xC2\xB4", PathUse::File, "a\\COM\xC2\xB4"},  // an acute accent
        {"\\a\\COM\xC2\xB9x", PathUse::File, "a\\COM\xC2\xB9x"},
        {"\\a\\*.map", PathUse::File, std::nullopt},
        {"\\*\\x.map", PathUse::Pattern, std::nullopt},
        {"\\a\\*\\", PathUse::Pattern, std::nullopt},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(RelativePcPath(c.unitPath, c.use), c.relative) << c.unitPath;
    }
    EXPECT_EQ(JoinPcPath("C:\\pc\\unit\\", "Mounted Volume\\x"), "C:\\pc\\unit\\Mounted Volume\\x");
}

TEST(PcPathTest, APatternsNameIsItsLastComponent) {
    EXPECT_EQ(PatternName("\\Mounted Volume\\*.map"), "*.map");
    EXPECT_EQ(PatternName("*.map"), "*.map");
}

}  // namespace
}  // namespace win32::pc
