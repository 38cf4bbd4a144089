// The key check window: marks that follow the key pins, and the power key's
// interrupt held off for the object's life, on the unit's register memory.
#include <string>
#include <vector>

#include "diag/key_check_dlg.h"
#include "diag_test_fixture.h"
#include "host/unit/registers.h"

namespace kestrin_test {
namespace {

constexpr int kPowerKeyId = 1093;
constexpr int kGuideKeyId = 1094;
constexpr int kOkId = 1095;

constexpr std::uint32_t kFallingEdge = kGpioAddress + kGpioFallingEdge;
constexpr std::uint32_t kEdgeStatus = kGpioAddress + kGpioEdgeStatus;
constexpr std::uint32_t kIcmr = kIntcAddress + kIntcIcmr;

class KeyCheckTest : public DiagTest {
  protected:
    int Mark(int id) { return Info(id).check; }
};

TEST_F(KeyCheckTest, ThePowerKeyInterruptIsHeldOffForTheObjectsLife) {
    unitDir->Toml(
        "[gpio]\nfalling_edge = 0x00000015\nedge_status = 0x00000024\n"
        "[intc]\nicmr = 0x04000D00\n");
    Start();
    {
        CKeyCheckDlg dlg;
        EXPECT_EQ(Unit().ReadWord(kFallingEdge), 0x00000014U);
        EXPECT_EQ(Unit().ReadWord(kIcmr), 0x04000C00U);
        EXPECT_EQ(Unit().DebugLines(), std::vector<std::string>{"ICMR:04000d00\r\n"});
        EXPECT_EQ(Unit().Reservations(), 2);
        // Opened twice: mapped once.
        dlg.DoModal();
        dlg.DoModal();
        EXPECT_EQ(Unit().Reservations(), 2);
        EXPECT_EQ(Unit().ReadWord(kFallingEdge), 0x00000014U);
    }
    EXPECT_EQ(Unit().Reservations(), 0);
    EXPECT_EQ(Unit().ReadWord(kFallingEdge), 0x00000015U);
    // Pin 0's pending edge is written as 1 (which clears it), the other
    // bits back as read.
    EXPECT_EQ(Unit().ReadWord(kEdgeStatus), 0x00000025U);
    EXPECT_EQ(Unit().ReadWord(kIcmr), 0x04000D00U);
}

struct MappingFailure {
    const char* name;
    std::string fault;
    std::vector<std::string> lines;
    bool gpioMapped;
    bool intcMapped;
};

TEST_F(KeyCheckTest, MappingFailuresAreDebugLinesOnly) {
    const std::vector<MappingFailure> cases = {
        {"GPIO reservation",
         "\"virtualalloc:0x6C\" = 8",
         {"VirtualAlloc failed!::m_tpGpioReg\r\n", "ICMR:04000d00\r\n"},
         false,
         true},
        {"GPIO mapping",
         "\"virtualcopy:0xA7000000\" = 87",
         {"VirtualCopy failed!::m_tpGpioReg\r\n", "ICMR:04000d00\r\n"},
         false,
         true},
        {"INTC reservation",
         "\"virtualalloc:0x18\" = 8",
         {"VirtualAlloc failed!::m_tpIntcReg\r\n"},
         true,
         false},
        {"INTC mapping",
         "\"virtualcopy:0xA6F00000\" = 87",
         {"VirtualCopy failed!::m_tpIntcReg\r\n"},
         true,
         false},
        {"GPIO release",
         "\"virtualfree:0xA7000000\" = 87",
         {"ICMR:04000d00\r\n", "VirtualFree failed!::m_tpGpioReg\r\n"},
         true,
         true},
        {"INTC release",
         "\"virtualfree:0xA6F00000\" = 87",
         {"ICMR:04000d00\r\n", "\r\nVirtualFree failed!::m_tpIntcReg\r\n"},
         true,
         true},
    };
    for (const MappingFailure& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        unitDir->Toml("[kernel.fail]\n" + c.fault + "\n");
        Start();
        {
            CKeyCheckDlg dlg;
            EXPECT_EQ(Unit().ReadWord(kFallingEdge), c.gpioMapped ? 0U : 1U);
            EXPECT_EQ(Unit().ReadWord(kIcmr), c.intcMapped ? 0x04000C00U : 0x04000D00U);
            // The window still opens; an unmapped block is never read.
            StepCall([this] { Unit().SetPin(kPowerKeyPin, true); });
            StepWait(100);
            StepCall([this, &c] {
                EXPECT_EQ(Mark(kPowerKeyId), c.gpioMapped ? ui::BST_CHECKED : ui::BST_UNCHECKED);
                TapControl(kOkId);
            });
            EXPECT_EQ(dlg.DoModal(), 0);
        }
        EXPECT_EQ(Unit().DebugLines(), c.lines);
        EXPECT_EQ(Unit().ReadWord(kFallingEdge), 1U);
        EXPECT_EQ(Unit().ReadWord(kIcmr), 0x04000D00U);
        // Only a refused release leaves its reservation behind.
        EXPECT_EQ(Unit().Reservations(), c.fault.find("virtualfree") != std::string::npos ? 1 : 0);
    }
}

TEST_F(KeyCheckTest, WithoutItsTimerTheMarksStay) {
    Start();
    desktop->SetTimerFailureHook([](ui::HWND, ui::UINT_PTR) { return true; });
    CKeyCheckDlg dlg;
    Unit().ClearDebugLines();
    StepCall([this] { Unit().SetPin(kPowerKeyPin, true); });
    StepWait(300);
    StepCall([this] { EXPECT_EQ(Mark(kPowerKeyId), ui::BST_UNCHECKED); });
    dlg.DoModal();
    EXPECT_EQ(Unit().DebugLines(), std::vector<std::string>{"SetTimer failed!::OnInitDialog\r\n"});
}

}  // namespace
}  // namespace kestrin_test
