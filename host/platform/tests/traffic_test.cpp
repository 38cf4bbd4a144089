// What the unit records of the calls that cross it: nothing until asked,
// then each change to its files and registry and each control request, on
// its clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/controls/controls_component.h"
#include "host/unit/scheduler.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"

namespace {

using namespace platform;

std::string Shown(const TrafficEvent& e) {
    std::string text = std::to_string(e.atMs) + " " + e.device + " " +
                       std::to_string(static_cast<int>(e.kind)) + " " + e.path;
    if (!e.text.empty()) {
        text += " <" + e.text + ">";
    }
    for (const std::uint8_t b : e.bytes) {
        text += " " + std::to_string(b);
    }
    if (e.kind == TrafficKind::Control) {
        text += " code " + std::to_string(e.code) + " out " + std::to_string(e.output.size()) +
                " result " + std::to_string(e.result) + " error " + std::to_string(e.error);
    }
    return text;
}

TEST(UnitTraffic, FilesRegistryAndControlsAreRecordedOnlyOnceKept) {
    host::unit::TestUnit t(host::controls::ControlKinds());
    t.Registry(
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PWM]\n\"Prefix\"=\"PWM\"\n"
        "\"Index\"=dword:1\n");
    t.File("\\a.txt", "old").Toml("[pwm.fail]\n\"ioctl:0x13\" = 31\n");
    ASSERT_TRUE(t.Load()) << t.error();
    auto& u = t.unit();
    HANDLE pwm = 0;
    auto run = [&u, &pwm] {
        const HANDLE f = u.CreateFile("\\b.txt", GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
        DWORD written = 0;
        u.WriteFile(f, "hi", 2, &written);
        u.CloseHandle(f);
        // Opened again as it is: no change.
        u.CloseHandle(u.CreateFile("\\b.txt", GENERIC_WRITE, 0, OPEN_EXISTING, 0));
        u.CopyFile("\\a.txt", "\\c.txt", FALSE);
        u.DeleteFile("\\a.txt");
        u.DeleteFile("\\missing.txt");  // fails: nothing changed
        platform::Registry& reg = *u.Services().registry;
        pwm = reg.ActivateDevice("Drivers\\BuiltIn\\PWM", 0);
        const HANDLE h = u.CreateFile("PWM1:", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
        std::int32_t duty = 3;
        u.DeviceIoControl(h, 0x8011, &duty, 4, nullptr, 0, nullptr);
        DWORD level = 0;
        DWORD returned = 0;
        u.DeviceIoControl(h, 0x13, nullptr, 0, &level, 4, &returned);
        EXPECT_EQ(GetLastError(), 31U) << "the call's own error, not the recorder's";
        u.CloseHandle(h);
        reg.DeactivateDevice(pwm);
    };
    run();
    u.traffic().Keep();
    EXPECT_EQ(u.traffic().End(), 0U) << "nothing before";
    u.CopyFile("\\c.txt", "\\a.txt", FALSE);
    u.DeleteFile("\\b.txt");
    u.DeleteFile("\\c.txt");
    u.scheduler().AdvanceTo(250);
    run();
    std::vector<std::string> shown;
    for (const TrafficEvent& e : u.traffic().Since(3)) {
        shown.push_back(Shown(e));
    }
    EXPECT_EQ(
        shown,
        (std::vector<std::string>{
            "250 file 3 \\b.txt",
            "250 file 4 \\b.txt 104 105",
            "250 file 5 \\c.txt <\\a.txt>",
            "250 file 6 \\a.txt",
            "250 registry 7 Drivers\\Active\\01 <Hnd=" + std::to_string(static_cast<DWORD>(pwm)) +
                " Name=PWM1: Key=Drivers\\BuiltIn\\PWM>",
            "250 PWM1: 2  3 0 0 0 code 32785 out 0 result 1 error 0",
            "250 PWM1: 2  code 19 out 0 result 0 error 31",
            "250 registry 8 Drivers\\Active\\01",
        }));
}

}  // namespace
