// The result window: captions, the check on the first paint only, closing
// the serial port; the NOR and storage checks through it.
#include <string>
#include <vector>

#include "diag_test_fixture.h"
#include "host/unit/registers.h"

namespace kestrin_test {
namespace {

TEST_F(DiagTest, NoSelectionRunsNothing) {
    Start();
    const Outcome out = RunCheck(kDiagCheckNone);
    EXPECT_EQ(out.text, "");
    EXPECT_EQ(out.result, 0);
    EXPECT_TRUE(Unit().DebugLines().empty());
    EXPECT_EQ(Devices().com->Opens(), 0);
    EXPECT_EQ(Devices().gps->VersionRequests(), 0);
}

TEST_F(DiagTest, TheCheckRunsOnTheFirstPaintOnly) {
    Start();
    CDiagResultDlg dlg;
    dlg.SetSelector(kDiagCheckGps);
    std::uint64_t passes = 0;
    StepCall([&] {
        EXPECT_EQ(Devices().gps->VersionRequests(), 1);
        passes = desktop->PaintPasses();
        desktop->InvalidateAll();
    });
    StepWait(10);
    StepCall([&] { EXPECT_GT(desktop->PaintPasses(), passes); });
    // A message box over the window, and the window painted again after it.
    StepCall([&] { dlg.PostMessage(ui::WM_USER + 7); });
    dlg.BindMessage(ui::WM_USER + 7, [&](ui::WPARAM, ui::LPARAM) {
        return static_cast<ui::LRESULT>(dlg.MessageBox("covering", {}, ui::MB_OK));
    });
    StepCall([&] { desktop->AnswerMessageBox(ui::IDOK); });
    StepWait(10);
    StepCall([&] {
        EXPECT_EQ(Devices().gps->VersionRequests(), 1);
        TapControl(kResultOkId);
    });
    dlg.DoModal();
}

struct NorCase {
    const char* name;
    std::string toml;
    std::string image;  // nor.bin, when not empty
    std::string text;
    std::string debugLine;  // expected, when not empty
};

TEST_F(DiagTest, NorCheck) {
    const std::string image = "[nor]\nimage = \"nor.bin\"\nfill = 0\n";
    const std::vector<NorCase> cases = {
        {"generated pattern", "", "", "NOR check start... OK.\r\nSUM:0x331D", ""},
        {"sum of exactly 65536", image, std::string("\x00\x80\xFF\x7F\x01\x00", 6),
         "NOR check start... OK.\r\nSUM:0x0000", ""},
        {"small sum padded", image, std::string("\x0F\x00\x01\x00", 4),
         "NOR check start... OK.\r\nSUM:0x0010", ""},
        {"words past the image are the fill", "[nor]\nimage = \"nor.bin\"\nfill = 0x0001\n",
         std::string("\x00\x00", 2), "NOR check start... OK.\r\nSUM:0xFFFF", ""},
        {"reservation fails", "[kernel.fail]\n\"virtualalloc:0x1000000\" = 8\n", "",
         "NOR check start... NG!\r\nVirtualAlloc() failed.",
         "VirtualAlloc failed!::DiagNorFunc\r\n"},
        {"mapping fails", "[kernel.fail]\n\"virtualcopy:0xB8300000\" = 87\n", "",
         "NOR check start... NG!\r\nVirtualCopy() failed.", "VirtualCopy failed!::DiagNorFunc\r\n"},
        {"release fails after the sum", "[kernel.fail]\n\"virtualfree:0xB8300000\" = 87\n", "",
         "NOR check start... OK.\r\nSUM:0x331D", "VirtualFree failed!::DiagNorFunc\r\n"},
    };
    for (const NorCase& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        unitDir->Toml(c.toml);
        if (!c.image.empty()) {
            unitDir->UnitFile("nor.bin", c.image);
        }
        Start();
        const Outcome out = RunCheck(kDiagCheckNor);
        EXPECT_EQ(out.text, c.text);
        if (c.debugLine.empty()) {
            EXPECT_TRUE(Unit().DebugLines().empty());
        } else {
            EXPECT_EQ(Unit().DebugLines(), std::vector<std::string>{c.debugLine});
        }
        // Only a refused release leaves the reservation behind.
        const bool releaseRefused = c.debugLine.starts_with("VirtualFree");
        EXPECT_EQ(Unit().Reservations(), releaseRefused ? 1 : 0);
    }
}

struct StorageCase {
    const char* name;
    std::string toml;
    std::string text;
};

TEST_F(DiagTest, StorageCheckShapes) {
    const std::string card = "[dsk]\nidentify = \"03 53 44 53 44 30 31 47 94 80 11 2c 7e 00 62\"\n";
    const std::string lines =
        "ManufactureID:0x03\r\nOemID:SD\r\nProductName:SD01G\r\n"
        "ProductVersion:0x80112c7e\r\nManufactureDate:0x0062\r\n";
    const std::vector<StorageCase> cases = {
        {"no device", card + "absent = true\n", "NG.\r\n"},
        {"device refuses the request", card + "[dsk.fail]\n\"ioctl:0x72000\" = 31\n", "NG.\r\n"},
        {"no memory for the reply", card + "[kernel.fail]\nlocalalloc = 8\n", "NG.\r\n"},
        {"volume sizes unknown", card + "[kernel.fail]\n\"getdiskfreespaceex\" = 3\n",
         lines + "NG.\r\n"},
        {"sizes in whole megabytes",
         card + "[volume.\"Mounted Volume\"]\ntotal_bytes = 1048575\nfree_bytes = 3145727\n",
         lines + "TotalSize:0[MB]\r\nFreeSize:2[MB]\r\nOK.\r\n"},
        {"short record: the rest of the reply stays zero",
         "[dsk]\nidentify = \"07\"\n"
         "[volume.\"Mounted Volume\"]\ntotal_bytes = 1015234560\nfree_bytes = 806879232\n",
         "ManufactureID:0x07\r\nOemID:\r\nProductName:\r\nProductVersion:0x00000000\r\n"
         "ManufactureDate:0x0000\r\nTotalSize:968[MB]\r\nFreeSize:769[MB]\r\nOK.\r\n"},
    };
    for (const StorageCase& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        unitDir->Toml(c.toml).Dir("\\Mounted Volume");
        Start();
        EXPECT_EQ(RunCheck(kDiagCheckStorage).text, c.text);
        EXPECT_EQ(Unit().OpenHandles(), 0);
        EXPECT_EQ(Unit().LocalBlocks(), 0);
    }
}

}  // namespace
}  // namespace kestrin_test
