// Where a run's temporary folders go, and what is said when none can be made.
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(TempFolderTest, AFreshFolderOnlyItsOwnerMayUse) {
    const auto a = MakeTempFolder("kestrin-temp-test-");
    const auto b = MakeTempFolder("kestrin-temp-test-");
    ASSERT_TRUE(a) << a.error();
    ASSERT_TRUE(b) << b.error();
    EXPECT_NE(*a, *b);
    EXPECT_EQ(a->filename().string().rfind("kestrin-temp-test-", 0), 0U) << *a;
#ifndef _WIN32
    EXPECT_EQ(fs::status(*a).permissions(), fs::perms::owner_all);
#endif
    fs::remove(*a);
    fs::remove(*b);
}

#ifndef _WIN32
// TMPDIR as coreutils reads it: empty is unset; one that cannot take a folder
// is named with the system's reason. (Each test runs in a process of its own.)
TEST(TempFolderTest, TmpdirNamesTheFolderOrSaysWhyItCannot) {
    const fs::path work =
        fs::path(::testing::TempDir()) / ("kestrin-tmpdir-" + std::to_string(::getpid()));
    fs::create_directories(work / "read-only");
    std::ofstream(work / "a-file") << "x";
    fs::permissions(work / "read-only", fs::perms::owner_read | fs::perms::owner_exec);
    struct Case {
        std::string tmpdir;
        std::string made;   // the folder it is made in; empty: none is made
        std::string error;  // what is said when none is made
    };
    std::vector<Case> cases = {
        {"", "/tmp", ""},
        {work.string(), work.string(), ""},
        {"/nonexistent", "",
         "cannot make a temporary folder in /nonexistent (TMPDIR): No such file or directory"},
        {(work / "a-file").string(), "",
         "cannot make a temporary folder in " + (work / "a-file").string() +
             " (TMPDIR): Not a directory"},
        {"tmp", "", "cannot make a temporary folder in tmp (TMPDIR): not an absolute path"},
    };
    if (::geteuid() != 0) {  // root may write into any folder
        cases.push_back({(work / "read-only").string(), "",
                         "cannot make a temporary folder in " + (work / "read-only").string() +
                             " (TMPDIR): Permission denied"});
    }
    for (const Case& c : cases) {
        ASSERT_EQ(::setenv("TMPDIR", c.tmpdir.c_str(), 1), 0);
        const auto made = MakeTempFolder("kestrin-tmpdir-test-");
        if (c.made.empty()) {
            ASSERT_FALSE(made) << c.tmpdir;
            EXPECT_EQ(made.error(), c.error) << c.tmpdir;
        } else {
            ASSERT_TRUE(made) << c.tmpdir << ": " << made.error();
            EXPECT_EQ(made->parent_path(), c.made);
            fs::remove(*made);
        }
    }
    ::unsetenv("TMPDIR");
    fs::permissions(work / "read-only", fs::perms::owner_all);
    fs::remove_all(work);
}
#endif

}  // namespace
}  // namespace platform
