// Fresh copies read the shared copy in place and keep what a run writes to
// themselves: the source unit and the shared copy stay as they were, and a
// later copy sees none of an earlier one's changes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/unit/fresh_copies.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

std::string HostText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string UnitText(host::unit::VirtualUnit& u, const char* path) {
    const HANDLE h = u.CreateFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    if (h == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    char buffer[64] = {};
    DWORD got = 0;
    u.ReadFile(h, buffer, sizeof buffer, &got);
    u.CloseHandle(h);
    return {buffer, got};
}

std::vector<std::string> RootNames(host::unit::VirtualUnit& u) {
    std::vector<std::string> names;
    WIN32_FIND_DATA data;
    const HANDLE find = u.FindFirstFile("\\*", &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = u.FindNextFile(find, &data)) {
        names.push_back(data.cFileName);
    }
    u.FindClose(find);
    return names;
}

constexpr const char* kPwmRegistry =
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PWM]\n\"Prefix\"=\"PWM\"\n"
    "\"Index\"=dword:00000001\n";

TEST(FreshCopies, WritesStayInTheirCopyAndNoCopySeesAnothersChanges) {
    host::unit::TestUnit source;
    source.Toml("[[fs.file]]\npath = \"\\\\map.bin\"\nsize = 1048576\n")
        .Registry(kPwmRegistry)
        .File("\\keep.txt", "pristine")
        .File("\\gone.txt", "old")
        .Dir("\\Log");
    ASSERT_TRUE(source.Write()) << source.error();
    auto made = host::unit::FreshCopies::Make(source.dir());
    ASSERT_TRUE(made) << made.error().Text();
    ASSERT_TRUE(made->Prepare({})) << "the generated file is made once, in the shared copy";
    const fs::path pristine = made->pristine();
    ASSERT_TRUE(fs::exists(pristine / "fs" / "map.bin"));

    {
        host::unit::TempDir own = made->Next();
        auto loaded =
            host::unit::LoadUnit(pristine, {}, {.virtualTime = true, .writeTo = own.path()});
        ASSERT_TRUE(loaded) << loaded.error().Text();
        host::unit::VirtualUnit& u = **loaded;
        EXPECT_FALSE(fs::exists(own.path())) << "nothing written, nothing made";

        // A reader opened on the shared file reads on after a writer copies it up.
        const HANDLE reader = u.CreateFile("\\KEEP.TXT", GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
        char first[3] = {};
        DWORD got = 0;
        ASSERT_TRUE(u.ReadFile(reader, first, 3, &got));
        const HANDLE writer = u.CreateFile("\\keep.txt", GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        DWORD wrote = 0;
        ASSERT_TRUE(u.WriteFile(writer, "PRIStine", 8, &wrote));
        char rest[16] = {};
        ASSERT_TRUE(u.ReadFile(reader, rest, sizeof rest, &got));
        EXPECT_EQ(std::string(rest, got), "Stine") << "the reader follows the copy";
        u.CloseHandle(writer);
        u.CloseHandle(reader);

        EXPECT_EQ(u.DeleteFile("\\gone.txt"), TRUE);
        EXPECT_EQ(UnitText(u, "\\gone.txt"), "<missing>");
        EXPECT_EQ(u.DeleteFile("\\gone.txt"), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
        const HANDLE made1 = u.CreateFile("\\Log\\new.txt", GENERIC_WRITE, 0, CREATE_NEW, 0);
        ASSERT_NE(made1, INVALID_HANDLE_VALUE);
        u.CloseHandle(made1);
        EXPECT_EQ(RootNames(u), (std::vector<std::string>{"keep.txt", "Log", "map.bin"}));
        EXPECT_NE(u.Services().registry->ActivateDevice("Drivers\\BuiltIn\\PWM", 0), 0);
        EXPECT_TRUE(fs::exists(own.path() / "registry.reg"));
        EXPECT_FALSE(fs::exists(own.path() / "fs" / "map.bin")) << "not made again";
    }

    for (const fs::path& unit : {source.dir(), pristine}) {
        EXPECT_EQ(HostText(unit / "fs" / "keep.txt"), "pristine") << unit;
        EXPECT_EQ(HostText(unit / "fs" / "gone.txt"), "old") << unit;
        EXPECT_FALSE(fs::exists(unit / "fs" / "Log" / "new.txt")) << unit;
        EXPECT_EQ(HostText(unit / "registry.reg"), kPwmRegistry) << unit;
    }
    host::unit::TempDir own = made->Next();
    auto next = host::unit::LoadUnit(pristine, {}, {.virtualTime = true, .writeTo = own.path()});
    ASSERT_TRUE(next) << next.error().Text();
    EXPECT_EQ(UnitText(**next, "\\keep.txt"), "pristine");
    EXPECT_EQ(UnitText(**next, "\\gone.txt"), "old");
    EXPECT_EQ(UnitText(**next, "\\Log\\new.txt"), "<missing>");
    EXPECT_FALSE((*next)->RegistryKeyExists("Drivers\\Active\\01"));
}

}  // namespace
