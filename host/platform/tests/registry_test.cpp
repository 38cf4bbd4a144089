#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "handle_table.h"
#include "host/unit/temp_dir.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"
#include "registry.h"
#include "registry_store.h"

namespace {

using namespace platform;

constexpr const char* kRegistry = R"(REGEDIT4

; the GPS receiver
[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\GPS]
"Prefix"="GPS"
"Index"=dword:00000001
"Dll"="vesk_gps.dll"
"Order"=dword:00000014

[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\PWM]
"Prefix"="PWM"
"Index"=dword:1
"Dll"="C:\\Windows\\pwm \"v2\".dll"

[HKEY_LOCAL_MACHINE\Drivers\Active\12]
"Hnd"=dword:0008a340
"Name"="PWM1:"
"Key"="Drivers\\BuiltIn\\PWM"
)";

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(RegistryText, RoundTripKeepsKeysValuesAndEscapes) {
    auto parsed = host::unit::RegistryStore::Parse(kRegistry, "registry.reg");
    ASSERT_TRUE(parsed.ok());
    const auto& store = *parsed;
    const std::string written = store.Write();
    auto again = host::unit::RegistryStore::Parse(written, "registry.reg");
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->Write(), written);

    const auto* pwm = store.FindKey("drivers\\builtin\\pwm");
    ASSERT_NE(pwm, nullptr);
    EXPECT_EQ(host::unit::RegistryStore::FindValue(*pwm, "dll")->value.text,
              "C:\\Windows\\pwm \"v2\".dll");
    EXPECT_EQ(host::unit::RegistryStore::FindValue(*pwm, "Index")->value.dword, 1U);
    EXPECT_TRUE(store.Exists("Drivers"));
    EXPECT_TRUE(store.Exists("DRIVERS\\ACTIVE"));
    EXPECT_FALSE(store.Exists("Drivers\\Act"));
    EXPECT_EQ(store.SubKeys("Drivers\\BuiltIn"), (std::vector<std::string>{"GPS", "PWM"}));
}

TEST(RegistryText, MalformedLinesAreReportedWithTheirLine) {
    struct Case {
        const char* text;
        int line;
        const char* words;  // part of the message
    } cases[] = {
        {"Windows Registry Editor Version 5.00\n", 1, "REGEDIT4"},
        {"", 1, "REGEDIT4"},
        {"REGEDIT4\n\"Name\"=\"x\"\n", 2, "outside any key"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n", 3, "HKEY_LOCAL_MACHINE"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Hnd\"=hex:01,02\n", 3, "unsupported"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Hnd\"=dword:123456789\n", 3, "dword"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Hnd\"=dword:xyz\n", 3, "dword"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Name\"=\"open\n", 3, "closing quote"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Name\"=\"a\\n\"\n", 3, "backslash"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Name\"=\"a\" junk\n", 3, "after the closing"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Name\" \"a\"\n", 3, "="},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", 2, "]"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2, "empty key"},
        {"REGEDIT4\n[-HKEY_LOCAL_MACHINE\\A]\n", 2, "deleting"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto parsed = host::unit::RegistryStore::Parse(c.text, "registry.reg");
        ASSERT_FALSE(parsed.ok());
        const auto& error = parsed.error();
        EXPECT_EQ(error.line, c.line);
        EXPECT_NE(error.Text().find("registry.reg:" + std::to_string(c.line) + ": "),
                  std::string::npos);
        EXPECT_NE(error.message.find(c.words), std::string::npos) << error.message;
    }
}

// A registry of its own on kRegistry, in a folder removed with it.
class UnitRegistryTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_);
        std::ofstream(File(), std::ios::binary) << kRegistry;
        ASSERT_EQ(registry_.Load(), std::nullopt);
    }
    [[nodiscard]] std::filesystem::path File() const {
        return dir_ ? dir_->path() / "registry.reg" : std::filesystem::path();
    }

    platform::Result<host::unit::TempDir> dir_ = host::unit::TempDir::Create("kestrin-registry-");
    host::unit::HandleTable handles_;
    platform::Traffic traffic_;
    host::unit::UnitRegistry registry_{File(), handles_, traffic_};
};

TEST_F(UnitRegistryTest, QueryFollowsWin32SizeRules) {
    auto& u = registry_;
    HKEY key = 0;
    EXPECT_EQ(u.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Drivers\\Missing", 0, KEY_QUERY_VALUE, &key),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(u.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "drivers\\BUILTIN\\gps", 0, KEY_QUERY_VALUE, &key),
              static_cast<LONG>(ERROR_SUCCESS));

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(u.RegQueryValueEx(key, "Prefix", &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4U);  // "GPS" and its terminator
    BYTE small[2] = {};
    size = sizeof small;
    EXPECT_EQ(u.RegQueryValueEx(key, "Prefix", nullptr, small, &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 4U);
    BYTE text[8] = {};
    size = sizeof text;
    EXPECT_EQ(u.RegQueryValueEx(key, "prefix", nullptr, text, &size), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(text), "GPS");

    DWORD order = 0;
    size = sizeof order;
    EXPECT_EQ(u.RegQueryValueEx(key, "Order", &type, reinterpret_cast<BYTE*>(&order), &size), 0);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(order, 0x14U);
    EXPECT_EQ(u.RegQueryValueEx(key, "Nothing", nullptr, nullptr, &size),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(u.RegCloseKey(key), 0);
    EXPECT_EQ(u.RegCloseKey(key), static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(u.RegQueryValueEx(key, "Prefix", nullptr, nullptr, &size),
              static_cast<LONG>(ERROR_INVALID_HANDLE));
}

TEST_F(UnitRegistryTest, AChangeThatCannotBeSavedIsUndone) {
    std::filesystem::remove_all(dir_->path());
    EXPECT_EQ(registry_.ActivateDevice("Drivers\\BuiltIn\\GPS", 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry_.SubKeys("Drivers\\Active"), (std::vector<std::string>{"12"}));
    EXPECT_EQ(handles_.Count(), 0) << "the handle is given back";
    EXPECT_EQ(registry_.DeactivateDevice(0x8a340), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(registry_.KeyExists("Drivers\\Active\\12"));
    EXPECT_TRUE(registry_.DescribedAndInactive("GPS1:")) << "still not loaded";
    EXPECT_FALSE(registry_.DescribedAndInactive("PWM1:"));
}

TEST(DeviceManager, OnOffRoundTripIsSeenByCreateFileAndByTheNextLoad) {
    host::unit::TestUnit t(host::controls::ControlKinds());
    t.Registry(kRegistry);
    ASSERT_TRUE(t.Load()) << t.error();
    auto& u = t.unit();
    platform::Registry& reg = *u.Services().registry;
    auto opens = [&u](const char* name) {
        const HANDLE h = u.CreateFile(name, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
        if (h == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
            return false;
        }
        u.CloseHandle(h);
        return true;
    };
    // PWM1: is described and active; INF1: is described nowhere, so unit.toml rules it.
    EXPECT_TRUE(opens("PWM1:"));
    EXPECT_TRUE(opens("INF1:"));

    // Off, as the driver switch tool does it: the handle comes from "Hnd".
    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Drivers\\Active\\12", 0, 1, &key), 0);
    DWORD hnd = 0;
    DWORD size = 4;
    reg.RegQueryValueEx(key, "Hnd", nullptr, reinterpret_cast<BYTE*>(&hnd), &size);
    reg.RegCloseKey(key);
    EXPECT_EQ(hnd, 0x8a340U);
    EXPECT_EQ(reg.DeactivateDevice(static_cast<HANDLE>(hnd)), TRUE);
    EXPECT_FALSE(u.RegistryKeyExists("Drivers\\Active\\12"));
    EXPECT_FALSE(opens("PWM1:"));
    EXPECT_EQ(reg.DeactivateDevice(static_cast<HANDLE>(hnd)), FALSE);

    // Another program started now on the same unit sees it gone.
    auto second = host::unit::LoadUnit(t.dir(), host::controls::ControlKinds(),
                                       {.virtualTime = true, .startMs = 0});
    ASSERT_TRUE(second) << second.error().Text();
    EXPECT_FALSE((*second)->DevicePresent("PWM1:"));

    // On again: the next free entry, with the values the tool reads back.
    const HANDLE h = reg.ActivateDevice("Drivers\\BuiltIn\\PWM", 0);
    ASSERT_NE(h, 0);
    EXPECT_TRUE(opens("PWM1:"));
    const auto entries = u.RegistrySubKeys("Drivers\\Active");
    ASSERT_EQ(entries, (std::vector<std::string>{"01"}));
    EXPECT_EQ(u.RegistryValue("Drivers\\Active\\01", "Hnd")->dword, static_cast<DWORD>(h));
    EXPECT_EQ(u.RegistryValue("Drivers\\Active\\01", "Name")->text, "PWM1:");
    EXPECT_EQ(u.RegistryValue("Drivers\\Active\\01", "Key")->text, "Drivers\\BuiltIn\\PWM");
    EXPECT_EQ(reg.ActivateDevice("Drivers\\BuiltIn\\PWM", 0), 0) << "already loaded";
    EXPECT_EQ(u.CloseHandle(h), TRUE) << "closing the handle leaves the driver loaded";
    EXPECT_TRUE(opens("PWM1:"));
    EXPECT_NE(ReadAll(t.dir() / "registry.reg").find("\"Name\"=\"PWM1:\""), std::string::npos);

    auto third = host::unit::LoadUnit(t.dir(), host::controls::ControlKinds(),
                                      {.virtualTime = true, .startMs = 0});
    ASSERT_TRUE(third) << third.error().Text();
    EXPECT_TRUE((*third)->DevicePresent("PWM1:"));

    EXPECT_EQ(reg.ActivateDevice("Drivers\\BuiltIn\\NoSuch", 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg.ActivateDevice("Drivers\\BuiltIn", 0), 0) << "a key without Prefix";
}

}  // namespace
