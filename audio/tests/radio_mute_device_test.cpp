// The radio mute switch on a virtual unit's NAT1: driver.
#include "audio/radio_mute_device.h"

#include <functional>

#include "host/controls/controls_component.h"
#include "host/controls/nat_driver.h"
#include "platform/api.h"
#include "test_support/audio_unit_fixture.h"

namespace audio_test {
namespace {

using platform::DWORD;

constexpr const char* kOpenFailed = "CreateFile(NAT1:) failed.";
constexpr const char* kLevelFailed = "VESK_NAVATT_IOCTL_GET_LEVEL error!!";

class RadioMuteDeviceTest : public test_support::AudioUnitTest {};

TEST_F(RadioMuteDeviceTest, EachOperationSendsItsCode) {
    Load("[nat]\nlevel = 7\n");
    RadioMuteDevice device;
    EXPECT_EQ(device.GetLevel(), 7);
    device.SetMuteOff();
    EXPECT_EQ(device.GetLevel(), 0);
    device.SetMuteOn();
    EXPECT_EQ(device.GetLevel(), 1);
    EXPECT_EQ(host::controls::NatOf(Unit())->CodeLog(), (std::vector<DWORD>{2, 0, 2, 1, 2}));
    EXPECT_TRUE(boxes_.empty());
}

// Opened once, on first use, shared for reading and writing, and kept open
// until the device object goes.
TEST_F(RadioMuteDeviceTest, OpensOnceOnFirstUseAndKeepsTheHandle) {
    Load("");
    const int before = Unit().OpenHandles();
    {
        RadioMuteDevice device;
        EXPECT_EQ(Unit().OpenHandles(), before);
        device.SetMuteOn();
        const platform::HANDLE h = device.Handle();
        EXPECT_NE(h, platform::INVALID_HANDLE_VALUE);
        device.SetMuteOff();
        device.GetLevel();
        EXPECT_EQ(device.Handle(), h);
        EXPECT_EQ(Unit().OpenHandles(), before + 1);

        // Another reader and writer may open the switch beside it.
        const platform::HANDLE other = platform::CreateFile(
            "NAT1:", platform::GENERIC_READ | platform::GENERIC_WRITE,
            platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, platform::OPEN_EXISTING, 0);
        ASSERT_NE(other, platform::INVALID_HANDLE_VALUE);
        platform::CloseHandle(other);
    }
    EXPECT_EQ(Unit().OpenHandles(), before);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(RadioMuteDeviceTest, FailuresTellTheUserAndTheLevelIsMinusOne) {
    struct Case {
        const char* name;
        const char* toml;
        std::function<int(RadioMuteDevice&)> use;
        int result;
        std::vector<std::string> boxes;
        std::vector<DWORD> codes;  // reaching the driver
    };
    auto off = [](RadioMuteDevice& d) {
        d.SetMuteOff();
        return 0;
    };
    auto on = [](RadioMuteDevice& d) {
        d.SetMuteOn();
        return 0;
    };
    auto level = [](RadioMuteDevice& d) { return d.GetLevel(); };
    const std::vector<Case> cases = {
        {"absent, off", "[nat]\nabsent = true\n", off, 0, {kOpenFailed}, {}},
        {"absent, on", "[nat]\nabsent = true\n", on, 0, {kOpenFailed}, {}},
        {"absent, level",
         "[nat]\nabsent = true\nlevel = 0\n",
         level,
         -1,
         {kOpenFailed, kLevelFailed},
         {}},
        {"open refused, level",
         "[nat.fail]\nopen = 5\n",
         level,
         -1,
         {kOpenFailed, kLevelFailed},
         {}},
        {"level refused",
         "[nat]\nlevel = 0\n[nat.fail]\n\"ioctl:2\" = 31\n",
         level,
         -1,
         {kLevelFailed},
         {}},
        {"muting refused, silently", "[nat.fail]\nioctl = 31\n", on, 0, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.toml);
        RadioMuteDevice device;
        EXPECT_EQ(c.use(device), c.result);
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(host::controls::NatOf(Unit())->CodeLog(), c.codes);
        for (const auto& box : boxes_) {
            EXPECT_EQ(box.type, box.text == kOpenFailed ? ui::MB_OK : ui::MB_ICONINFORMATION);
        }
    }
}

// While the switch is missing every use tries again; once it is there the
// handle is opened and kept.
TEST_F(RadioMuteDeviceTest, AMissingSwitchIsTriedAgainAtEachUse) {
    Load("[nat]\nabsent = true\nlevel = 1\n");
    RadioMuteDevice device;
    device.SetMuteOff();
    device.SetMuteOn();
    EXPECT_EQ(device.GetLevel(), -1);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{kOpenFailed, kOpenFailed, kOpenFailed, kLevelFailed}));
    EXPECT_EQ(device.Handle(), platform::INVALID_HANDLE_VALUE);

    boxes_.clear();
    Unit().SetDeviceAbsent("NAT1:", false);
    EXPECT_EQ(device.GetLevel(), 1);
    device.SetMuteOff();
    EXPECT_EQ(device.GetLevel(), 0);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(host::controls::NatOf(Unit())->CodeLog(), (std::vector<DWORD>{2, 0, 2}));
}

}  // namespace
}  // namespace audio_test
