// The GPS module check: the variant in the caption, the version text, and
// the error of each failing step.
#include <string>
#include <vector>

#include "diag_test_fixture.h"
#include "host/unit/registers.h"

namespace kestrin_test {
namespace {

constexpr std::uint32_t kGpioLevel1 = kGpioAddress + kGpioPinLevel + GpioPinWordOffset(kVariantPin);

TEST_F(DiagTest, GpsVariantFromPin38Alone) {
    struct Case {
        std::uint32_t level1;
        const char* caption;
    };
    const std::vector<Case> cases = {
        {0x00000040, "GPS check / Corvin"},
        {0xFFFFFFFF, "GPS check / Corvin"},
        {0x00000000, "GPS check / Tamsel"},
        {0xFFFFFFBF, "GPS check / Tamsel"},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        Unit().WriteWord(kGpioLevel1, c.level1);
        EXPECT_EQ(RunCheck(kDiagCheckGps).caption, c.caption);
    }
    EXPECT_EQ(Unit().Reservations(), 0);
}

TEST_F(DiagTest, GpsVersionText) {
    struct Case {
        const char* name;
        std::string version;
        std::string shown;
    };
    const std::string header = "GPS test OK.\r\n\r\n[Version]\r\n";
    const std::vector<Case> cases = {
        {"plain", "GSW3.2.4", "GSW3.2.4"},
        {"empty", "", ""},
        {"ends at a zero byte", std::string("V1\0junk", 7), "V1"},
        {"fills the whole buffer", std::string(128, 'A'), std::string(127, 'A')},
        {"single-byte text widened", "M\xE9ller", "M\xC3\xA9ller"},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Devices().gps->SetVersion(c.version);
        EXPECT_EQ(RunCheck(kDiagCheckGps).text, header + c.shown);
    }
    EXPECT_EQ(Unit().OpenHandles(), 0);
    EXPECT_EQ(Unit().LocalBlocks(), 0);
}

struct GpsFailure {
    const char* name;
    std::string toml;
    std::string message;
    std::string caption;
};

TEST_F(DiagTest, GpsFailuresShowTheirErrorThenNg) {
    const std::vector<GpsFailure> cases = {
        {"reservation", "[kernel.fail]\n\"virtualalloc:0x6C\" = 8\n",
         "VirtualAlloc() failed. errcode=0x8\r\n", "GPS check"},
        {"mapping", "[kernel.fail]\n\"virtualcopy:0xA7000000\" = 87\n",
         "VirtualCopy() failed. errcode=0x57\r\n", "GPS check"},
        {"buffer", "[kernel.fail]\nlocalalloc = 8\n", "LocalAlloc() failed. errcode = 0x8\r\n",
         "GPS check / Corvin"},
        {"no driver", "[gps]\nabsent = true\n", "Do not open GPS driver!! errcode = 0x2\r\n",
         "GPS check / Corvin"},
        {"driver busy", "[gps.fail]\nopen = 32\n", "Do not open GPS driver!! errcode = 0x20\r\n",
         "GPS check / Corvin"},
        {"version request", "[gps.fail]\n\"ioctl:4\" = 31\n",
         "DeviceIoControl(VESK_GPS_IOCTL_GET_GPS_VERSION) failed.\r\nerrcode = 0x1f\r\n",
         "GPS check / Corvin"},
    };
    for (const GpsFailure& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        unitDir->Toml(c.toml);
        Start();
        RecordMessageBoxes();
        const Outcome out = RunCheck(kDiagCheckGps);
        EXPECT_EQ(out.text, "GPS test NG.\r\n");
        EXPECT_EQ(out.caption, c.caption);
        ASSERT_EQ(boxes.size(), 1U);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].type, ui::MB_OK | ui::MB_ICONQUESTION);
        EXPECT_EQ(boxes[0].caption, "Kestrin");
        EXPECT_EQ(Unit().Reservations(), 0);
        EXPECT_EQ(Unit().OpenHandles(), 0);
        EXPECT_EQ(Unit().LocalBlocks(), 0);
    }
}

}  // namespace
}  // namespace kestrin_test
