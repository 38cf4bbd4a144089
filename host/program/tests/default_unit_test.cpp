// Where a program finds its default unit: the installed layout first, then
// the build tree's, each only when a unit is there.
#include "host/default_unit.h"

#include <gtest/gtest.h>

#include <fstream>

#include "program_fixture.h"

namespace host::test {
namespace {

class DefaultUnitTest : public ProgramTest {
  protected:
    // A unit folder (a unit.toml) at `relative` under the work folder.
    void MakeUnit(const std::filesystem::path& relative) {
        std::filesystem::create_directories(Work() / relative);
        std::ofstream(Work() / relative / "unit.toml") << "\n";
    }
};

TEST_F(DefaultUnitTest, TheInstalledUnitComesBeforeTheOneBesideTheProgram) {
    const std::filesystem::path installed = "share/kestrin/units/default";
    const std::filesystem::path beside = "bin/units/default";
    struct Case {
        const char* what;
        std::vector<std::filesystem::path> units;    // folders with a unit.toml
        std::vector<std::filesystem::path> folders;  // folders without one
        std::optional<std::filesystem::path> found;
    };
    const Case cases[] = {
        {"installed", {installed}, {}, installed},
        {"build tree", {beside}, {}, beside},
        {"both: the installed one", {installed, beside}, {}, installed},
        {"an empty folder is no unit", {beside}, {installed}, beside},
        {"neither", {}, {installed, beside}, std::nullopt},
    };
    int n = 0;
    for (const Case& k : cases) {
        const std::filesystem::path root = "case" + std::to_string(n++);
        for (const auto& unit : k.units) {
            MakeUnit(root / unit);
        }
        for (const auto& folder : k.folders) {
            std::filesystem::create_directories(Work() / root / folder);
        }
        const FoundUnit found = FindDefaultUnit(Work() / root / "bin" / "kestrin");
        if (k.found) {
            EXPECT_EQ(found.dir, Work() / root / *k.found) << k.what;
        } else {
            EXPECT_FALSE(found.dir.has_value()) << k.what;
            // The message names every place, so a user sees where to put one.
            EXPECT_NE(found.error.find((Work() / root / installed).string()), std::string::npos)
                << found.error;
            EXPECT_NE(found.error.find((Work() / root / beside).string()), std::string::npos)
                << found.error;
        }
    }
}

TEST_F(DefaultUnitTest, TheProgramKnowsItsOwnFile) {
    const std::filesystem::path self = ExecutablePath();
    EXPECT_TRUE(self.is_absolute()) << self;
    EXPECT_EQ(self.filename(), "host_program_tests");
    EXPECT_TRUE(DefaultUnitPlaces({}).empty());
    EXPECT_FALSE(FindDefaultUnit({}).dir.has_value());
}

}  // namespace
}  // namespace host::test
