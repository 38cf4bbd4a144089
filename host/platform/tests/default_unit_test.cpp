#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/components.h"
#include "host/controls/controls_component.h"
#include "host/controls/dsk_driver.h"
#include "host/unit/test_unit.h"
#include "kestrin_tree.h"
#include "registry_store.h"

namespace {

using namespace platform;

TEST(DefaultUnit, LoadsAndDescribesABelievableUnit) {
    auto copy =
        host::unit::MakeFreshCopy(std::filesystem::path(KESTRIN_SOURCE_DIR) / "units" / "default");
    ASSERT_TRUE(copy) << copy.error().Text();
    auto loaded = host::unit::LoadUnit(copy->path(), host::HostComponents(),
                                       {.virtualTime = true, .startMs = 0});
    ASSERT_TRUE(loaded) << loaded.error().Text();
    auto& u = **loaded;
    for (const char* device : {"LOG1:", "INF1:", "PWM1:", "DSK1:", "NAT1:", "GPS1:", "COM7:"}) {
        EXPECT_TRUE(u.DevicePresent(device)) << device;
    }
    for (const char* path :
         {"\\windows\\VeskApp.ini", "\\Mounted Volume2\\VESKFCODE.bin",
          "\\Mounted Volume\\Vesk\\PLOVA\\PLOVA.EXE", "\\Mounted Volume\\Vesk\\calib.dat",
          "\\Mounted Volume\\Vesk\\plova\\Settings\\Routes\\*.rte", "\\Mounted Volume2\\Log\\*.log",
          "\\Mounted Volume\\Vesk\\*.map"}) {
        WIN32_FIND_DATA data;
        const HANDLE h = u.FindFirstFile(path, &data);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
        u.FindClose(h);
    }
    SYSTEM_POWER_STATUS_EX2 status;
    EXPECT_EQ(u.Services().power->GetSystemPowerStatusEx2(&status, sizeof status, TRUE),
              sizeof status);
    EXPECT_GT(status.BatteryVoltage, 3000U);
    EXPECT_TRUE(u.RegistryKeyExists("Drivers\\BuiltIn\\GPS"));
    ASSERT_NE(host::controls::DskOf(u), nullptr);
    EXPECT_EQ(host::controls::DskOf(u)->Identify().size(), 15U);
    EXPECT_FALSE(u.UsesHostDevice(nullptr)) << "the default unit keeps to its own clock";

    // Saving the registry back (gps on/off in place) changes nothing but the change.
    std::ifstream file(copy->path() / "registry.reg", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    auto parsed = host::unit::RegistryStore::Parse(text, "registry.reg");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed->Write(), text);
}

// Settings that take something of the host name themselves, so that a run
// on the unit's own clock can refuse them; standard input has one reader.
TEST(DefaultUnit, HostDevicesNameTheirSetting) {
    struct HostCase {
        const char* toml;
        std::string which;  // empty: none; "!": the unit does not load
    };
    const std::vector<HostCase> cases = {
        {"[gps]\nsource = \"none\"\n", ""},
        {"[com]\ndevice = \"/dev/ttyUSB0\"\n", "com.device = \"/dev/ttyUSB0\""},
        {"[gps]\nsource = \"serial\"\ndevice = \"/dev/ttyACM0\"\n", "gps.source = \"serial\""},
        {"[gps]\nsource = \"stdin\"\n[[com.station]]\nfrequency = 900\ngroups = \"-\"\n", "!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.toml);
        host::unit::TestUnit t(host::HostComponents());
        t.Toml(c.toml);
        if (c.which == "!") {
            ASSERT_FALSE(t.Load());
            EXPECT_NE(t.error().find("com.station[0].groups: standard input is taken by "
                                     "gps.source already"),
                      std::string::npos)
                << t.error();
            continue;
        }
        ASSERT_TRUE(t.Load()) << t.error();
        std::string which;
        EXPECT_EQ(t.unit().UsesHostDevice(&which), !c.which.empty());
        EXPECT_EQ(which, c.which);
    }
}

}  // namespace
