// The unit's names and paths as both backends read them: wildcards as the
// unit's FindFirstFile matches them, names without regard to case.
#include <gtest/gtest.h>

#include "platform/unit_paths.h"

namespace platform {
namespace {

TEST(UnitPathsTest, WildcardsMatchLongNamesAsTheUnitDoes) {
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
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
    EXPECT_TRUE(LessNoCase("apple", "Banana"));
    EXPECT_TRUE(EqualsNoCase("Mounted Volume", "mounted VOLUME"));
}

}  // namespace
}  // namespace platform
