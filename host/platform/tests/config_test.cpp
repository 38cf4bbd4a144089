#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "host/controls/controls_component.h"
#include "host/controls/pwm_driver.h"
#include "host/unit/test_unit.h"
#include "host/unit/virtual_unit.h"
#include "platform/last_error.h"

namespace {

using namespace platform;

TEST(UnitToml, ErrorsNameTheFileLineAndKey) {
    struct Case {
        const char* toml;
        int line;
        const char* key;
        const char* words;
    } cases[] = {
        {"[pwm]\nsteps = 10\nstep = 4\n", 3, "pwm.step", "unknown key"},
        {"[pwm]\n\nsteps = \"ten\"\n", 3, "pwm.steps", "expected an integer, found a string"},
        {"[pwm]\nsteps = 0\n", 2, "pwm.steps", "between 1 and 1024"},
        {"[power]\navailable = 1\n", 2, "power.available", "true or false"},
        {"[gpio]\nvariant = \"corvina\"\n", 2, "gpio.variant", "one of"},
        {"[dsk]\nidentify = \"0g\"\n", 2, "dsk.identify", "hex"},
        {"[toaster]\nslots = 2\n", 1, "toaster", "unknown table"},
        {"pwm = 3\n", 1, "pwm", "expected a table"},
        {"[pwm.fail]\nopen = 2\nioctl_x = 31\n", 3, "pwm.fail.ioctl_x", "unknown operation"},
        {"[kernel.fail]\n\"virtualcopy:0xZZ\" = 5\n", 2, "kernel.fail.virtualcopy:0xZZ", "number"},
        {"[[fs.file]]\npath = \"\\\\a.txt\"\n[[fs.file]]\nsize = 3\n", 3, "fs.file[1].path",
         "missing"},
        {"[[fs.file]]\npath = \"\\\\..\\\\a.txt\"\n", 1, "fs.file[0]", "fs/"},
        {"[[fs.file]]\npath = \"\\\\a\"\nmtime = \"2006-02-30T00:00:00\"\n", 3, "fs.file[0].mtime",
         "date"},
        {"[[fs.file]]\npath = \"\\\\a\"\nmtime = 2006-03-05T14:07:09+01:00\n", 3,
         "fs.file[0].mtime", "time zone"},
        {"[volume.\"Mounted Volume\"]\ntotal = 5\n", 2, "volume.Mounted Volume.total",
         "unknown key"},
        {"[nor]\nimage = \"missing.bin\"\n", 2, "nor.image", "cannot read"},
        {"[pwm\nsteps = 1\n", 1, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.toml);
        host::unit::TestUnit t(host::controls::ControlKinds());
        t.Toml(c.toml);
        ASSERT_FALSE(t.Load());
        const std::string where =
            (t.dir() / "unit.toml").string() + ":" + std::to_string(c.line) + ": ";
        EXPECT_EQ(t.error().rfind(where, 0), 0U) << t.error();
        if (*c.key != '\0') {
            EXPECT_NE(t.error().find(std::string(": ") + c.key + ": "), std::string::npos)
                << t.error();
        }
        EXPECT_NE(t.error().find(c.words), std::string::npos) << t.error();
    }
}

TEST(UnitToml, AFolderWithoutOneIsNotAUnitAndIsLeftAsItWas) {
    const auto folder = host::unit::TempDir::Create("not-a-unit-");
    ASSERT_TRUE(folder.ok());
    const auto loaded = host::unit::LoadUnit(folder->path(), {});
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error().Text(), (folder->path() / "unit.toml").string() + ": missing");
    EXPECT_TRUE(std::filesystem::is_empty(folder->path()));
}

// Two kinds under one name would both answer FindComponent: refused, as is a
// kind that cannot make its component.
TEST(UnitToml, AComponentKindGivenTwiceOrEmptyIsRefused) {
    struct Quiet final : host::unit::Component {
        void Declare(host::unit::Schema& /*schema*/, host::unit::VirtualUnit& /*unit*/) override {}
    };
    const host::unit::ComponentKind quiet{"quiet", [] { return std::make_unique<Quiet>(); }};
    const std::vector<host::unit::Components> refused = {{quiet, quiet}, {{"empty", nullptr}}};
    for (const host::unit::Components& kinds : refused) {
        host::unit::TestUnit t(kinds);
        ASSERT_FALSE(t.Load());
        EXPECT_NE(t.error().find("component kind \"" + kinds.back().name + "\""), std::string::npos)
            << t.error();
    }
    host::unit::TestUnit once({quiet});
    ASSERT_TRUE(once.Load()) << once.error();
    EXPECT_NE(once.unit().FindComponent("quiet"), nullptr);
}

TEST(UnitToml, RunTimeSettingsValidateLikeTheFile) {
    host::unit::TestUnit t(host::controls::ControlKinds());
    t.Toml("[pwm]\nphoto_level = 500\n[[fs.file]]\npath = \"\\\\a\"\n");
    ASSERT_TRUE(t.Load()) << t.error();
    auto& u = t.unit();
    struct Case {
        const char* key;
        const char* value;
        const char* words;  // nullptr: accepted
    } cases[] = {
        {"pwm.photo_level", "700", nullptr},
        {"pwm.photo_level", "0x2BC", nullptr},
        {"pwm.photo_level", "bright", "expected an integer"},
        {"pwm.photo_level", "99999", "between"},
        {"pwm.brightness", "1", "unknown key"},
        {"lcd.photo_level", "1", "unknown table"},
        {"photo_level", "1", "table.key"},
        {"gpio.power_key", "1", nullptr},
        {"gpio.power_key", "2", "between 0 and 1"},
        {"nor.image", "x.bin", "cannot change while it runs"},
        {"fs.file", "x", "cannot change while it runs"},
        {"power.battery_mv", "3700", nullptr},
        {"volume.Mounted Volume.free_bytes", "1048575", nullptr},
        {"pwm.fail.ioctl:0x13", "31", nullptr},
        {"pwm.fail.bogus", "31", "unknown operation"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.value);
        const auto error = u.Set(c.key, c.value);
        if (c.words == nullptr) {
            EXPECT_EQ(error, std::nullopt) << error->Text();
        } else {
            ASSERT_NE(error, std::nullopt);
            EXPECT_EQ(error->Text().rfind(std::string(c.key) + ": ", 0), 0U) << error->Text();
            EXPECT_NE(error->message.find(c.words), std::string::npos) << error->message;
        }
    }
    EXPECT_EQ(host::controls::PwmOf(u)->PhotoLevel(), 700);
    EXPECT_TRUE(u.Pin(0));
    SYSTEM_POWER_STATUS_EX2 status;
    EXPECT_EQ(u.Services().power->GetSystemPowerStatusEx2(&status, sizeof status, TRUE),
              sizeof status);
    EXPECT_EQ(status.BatteryVoltage, 3700U);
    ASSERT_EQ(u.Set("power.available", "false"), std::nullopt);
    EXPECT_EQ(u.Services().power->GetSystemPowerStatusEx2(&status, sizeof status, TRUE), 0U);
}

TEST(UnitToml, DescribedFilesAreGeneratedWithTheirSizeTimeAndContent) {
    host::unit::TestUnit t;
    t.Toml(R"(
[[fs.file]]
path = "\\Mounted Volume\\Vesk\\Europe.map"
size = 48234496
mtime = "2006-03-05T14:07:09"

[[fs.file]]
path = "\\Mounted Volume2\\VESKFCODE.bin"
hex = "4b 45 53 54 52 49 4e 00"
mtime = 2007-12-31T23:59:59

[[fs.file]]
path = "\\Mounted Volume\\Vesk\\calib.dat"
mtime = "1999-01-01T00:00:00"

[[fs.file]]
path = "\\Mounted Volume\\Vesk\\World.map"
size = 5000000000
mtime = "2040-02-29T06:30:00"

[[fs.dir]]
path = "\\Mounted Volume2\\Log"
mtime = "2040-02-29T06:30:00"

[volume."mounted volume"]
total_bytes = 1048575
free_bytes = 524288
)");
    t.File("\\Mounted Volume\\Vesk\\calib.dat", "kept as it is");
    ASSERT_TRUE(t.Load()) << t.error();
    auto& u = t.unit();
    struct Case {
        const char* path;
        std::uint64_t size;
        WORD year, month, day, hour, minute, second;
    } cases[] = {
        {"\\Mounted Volume\\Vesk\\Europe.map", 48234496, 2006, 3, 5, 14, 7, 9},
        {"\\Mounted Volume2\\VESKFCODE.bin", 8, 2007, 12, 31, 23, 59, 59},
        {"\\Mounted Volume\\Vesk\\calib.dat", 13, 1999, 1, 1, 0, 0, 0},
        // Over 4 GiB and past 2038: 64-bit sizes and times on a 32-bit host too.
        {"\\Mounted Volume\\Vesk\\World.map", 5000000000, 2040, 2, 29, 6, 30, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        WIN32_FIND_DATA data;
        const HANDLE h = u.FindFirstFile(c.path, &data);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        u.FindClose(h);
        EXPECT_EQ((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow, c.size);
        SYSTEMTIME st;
        ASSERT_EQ(u.FileTimeToSystemTime(data.ftLastWriteTime, &st), TRUE);
        EXPECT_EQ(
            (std::array<WORD, 6>{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}),
            (std::array<WORD, 6>{c.year, c.month, c.day, c.hour, c.minute, c.second}));
    }
    // Sparse: the 46 MiB map takes next to no disk.
    const auto host = *u.HostPath("\\Mounted Volume\\Vesk\\Europe.map");
    EXPECT_EQ(std::filesystem::file_size(host), 48234496U);

    char code[16] = {};
    DWORD read = 0;
    const HANDLE f =
        u.CreateFile("\\Mounted Volume2\\veskfcode.bin", GENERIC_READ, 0, OPEN_EXISTING, 0);
    u.ReadFile(f, code, sizeof code, &read);
    u.CloseHandle(f);
    EXPECT_EQ(std::string(code, read), std::string("KESTRIN\0", 8));

    std::uint64_t total = 0;
    std::uint64_t free = 0;
    EXPECT_EQ(u.GetDiskFreeSpaceEx("\\Mounted Volume", nullptr, &total, &free), TRUE);
    EXPECT_EQ(total, 1048575U);
    EXPECT_EQ(free, 524288U);
    EXPECT_EQ(u.GetDiskFreeSpaceEx("\\Mounted Volume2\\Log\\", nullptr, &total, &free), TRUE)
        << "other volumes report the host's sizes";
    EXPECT_EQ(u.GetDiskFreeSpaceEx("\\Mounted Volume3", nullptr, &total, &free), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

// A fresh copy holds what is dated past 2038, with its date, on a 32-bit
// host too (where the C++ library's own copy stops at such a file).
TEST(UnitToml, AFreshCopyKeepsAFileDatedPast2038) {
    host::unit::TestUnit t;
    t.Toml(
        "[[fs.file]]\npath = \"\\\\Mounted Volume2\\\\a.log\"\nhex = \"41\"\n"
        "mtime = \"2040-02-29T06:30:00\"\n");
    ASSERT_TRUE(t.Load()) << t.error();
    auto copy = host::unit::MakeFreshCopy(t.dir());
    ASSERT_TRUE(copy) << copy.error().Text();
    auto loaded = host::unit::LoadUnit(copy->path(), {}, {});
    ASSERT_TRUE(loaded) << loaded.error().Text();
    WIN32_FIND_DATA data;
    const HANDLE h = (*loaded)->FindFirstFile("\\Mounted Volume2\\a.log", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    (*loaded)->FindClose(h);
    SYSTEMTIME st;
    ASSERT_EQ((*loaded)->FileTimeToSystemTime(data.ftLastWriteTime, &st), TRUE);
    EXPECT_EQ((std::array<WORD, 3>{st.wYear, st.wMonth, st.wDay}),
              (std::array<WORD, 3>{2040, 2, 29}));
}

TEST(FileTime, ConvertsWithoutTimeZoneAndRejectsOutOfRange) {
    host::unit::TestUnit t;
    ASSERT_TRUE(t.Load()) << t.error();
    struct Case {
        std::uint64_t ticks;
        WORD year, month, day, dayOfWeek, hour, minute, second, ms;
    } cases[] = {
        {0, 1601, 1, 1, 1, 0, 0, 0, 0},
        {116444736000000000ULL, 1970, 1, 1, 4, 0, 0, 0, 0},
        {127860412290000000ULL + 1230000, 2006, 3, 5, 0, 14, 7, 9, 123},
        {125962560000000000ULL, 2000, 2, 29, 2, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticks);
        const FILETIME ft{static_cast<DWORD>(c.ticks), static_cast<DWORD>(c.ticks >> 32)};
        SYSTEMTIME st;
        ASSERT_EQ(t.unit().FileTimeToSystemTime(ft, &st), TRUE);
        EXPECT_EQ((std::array<WORD, 8>{st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour,
                                       st.wMinute, st.wSecond, st.wMilliseconds}),
                  (std::array<WORD, 8>{c.year, c.month, c.day, c.dayOfWeek, c.hour, c.minute,
                                       c.second, c.ms}));
    }
    SYSTEMTIME st;
    EXPECT_EQ(t.unit().FileTimeToSystemTime(FILETIME{0, 0x80000000U}, &st), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
