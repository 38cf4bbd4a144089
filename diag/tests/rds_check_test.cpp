// The RDS module check: port, worker, result texts and who closes the port.
#include <string>
#include <vector>

#include "diag_test_fixture.h"

namespace kestrin_test {
namespace {

using Step = FakeComDriver::Step;

const std::vector<std::uint8_t> kVersionQuery = {0xFF, 0x56, 0x78, 0x78, 0x56};

std::vector<std::uint8_t> Reply(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    return {0x3F, 0x00, 0x00, 0x56, a, b, c, 0x00, 0x00, 0x3F};
}

TEST_F(DiagTest, RdsReplies) {
    struct Case {
        const char* name;
        std::vector<Step> script;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"silent module", {}, "RDS port NG!"},
        {"version reply", {{Reply(1, 2, 3)}}, "RDS test OK.\r\nVersion=1-2-3"},
        {"bytes above 127", {{Reply(0x81, 0xFF, 0)}}, "RDS test OK.\r\nVersion=129-255-0"},
        {"group frames first",
         {{{0x3F, 0x01, 0x12, 0x34, 0x05, 0x00, 0x41, 0x42, 0x00, 0x3F}}, {Reply(4, 5, 6)}},
         "RDS test OK.\r\nVersion=4-5-6"},
        {"other frames, then silence",
         {{{0x3F, 0x01, 0x12, 0x34, 0x05, 0x00, 0x41, 0x42, 0x00, 0x3F}}},
         "RDS port NG!"},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Devices().com->Script(c.script);
        const Outcome out = RunCheck(kDiagCheckRds, [this] { StepUntilText(); });
        EXPECT_EQ(out.text, c.text);
        EXPECT_EQ(out.caption, "RDS check");
    }
    EXPECT_EQ(Devices().com->Opens(), static_cast<int>(cases.size()));
    EXPECT_EQ(Devices().com->Closes(), static_cast<int>(cases.size()));
    EXPECT_EQ(Unit().LiveSystemThreads(), 0);
    const auto written = Devices().com->Written();
    ASSERT_GE(written.size(), kVersionQuery.size());
    EXPECT_EQ(std::vector<std::uint8_t>(written.begin(), written.begin() + 5), kVersionQuery);
    EXPECT_EQ(Devices().com->Baud(), 38400U);
}

TEST_F(DiagTest, RdsFailures) {
    struct Case {
        const char* name;
        std::string toml;
        std::string text;
        bool portOpened;
    };
    const std::vector<Case> cases = {
        {"no port", "[com]\nabsent = true\n", "ERROR!!!\r\nRDS port not open!!", false},
        {"no thread", "[kernel.fail]\ncreatethread = 8\n", "RdsReceiveThread() not create!!", true},
        {"write fails", "[com.fail]\nwrite = 31\n", "RDS write Error! (001f)", true},
        {"read fails", "[com.fail]\nread = 1167\n", "RDS read Error! (048f)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        unitDir->Toml(c.toml);
        Start();
        const Outcome out = RunCheck(kDiagCheckRds, [this] { StepUntilText(); });
        EXPECT_EQ(out.text, c.text);
        // Whoever opened it, the window closed it.
        EXPECT_EQ(Devices().com->Opens(), c.portOpened ? 1 : 0);
        EXPECT_EQ(Devices().com->Closes(), Devices().com->Opens());
        ui::ReleaseEndedThreads();
        EXPECT_EQ(Unit().OpenHandles(), 0);
        EXPECT_EQ(Unit().LiveSystemThreads(), 0);
    }
}

// "OK", the close box and Esc while the worker still reads: the port is
// closed, the read fails, the worker ends before the window goes.
TEST_F(DiagTest, RdsEndingTheWindowWhileTheWorkerReads) {
    Start();
    Devices().com->onBlock = [this] { presenter.Wake(); };
    const std::vector<std::pair<const char*, std::function<void()>>> endings = {
        {"OK", [this] { TapControl(kResultOkId); }},
        {"close box",
         [this] {
             const ui::Rect r = *desktop->CloseBoxRect(desktop->ActiveWindow());
             desktop->Tap(r.left + 3, r.top + 3);
         }},
        {"Esc", [this] { desktop->KeyDown(ui::Key::Escape); }},
    };
    int runs = 0;
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        Devices().com->Script({Step{{}, true}});
        CDiagResultDlg dlg;
        dlg.SetSelector(kDiagCheckRds);
        presenter.AddWaitUntil([&] { return Devices().com->BlockedReads() == runs + 1; });
        StepCall(end);
        dlg.DoModal();
        ++runs;
        EXPECT_EQ(Devices().com->Closes(), runs);
        EXPECT_EQ(Unit().LiveSystemThreads(), 0);
        EXPECT_EQ(dlg.m_hRdsPort.load(), platform::INVALID_HANDLE_VALUE);
    }
}

TEST_F(DiagTest, RdsPortThatWillNotClose) {
    unitDir->Toml("[com.fail]\nclose = 5\n");
    Start();
    RecordMessageBoxes();
    const Outcome out = RunCheck(kDiagCheckRds, [this] { StepUntilText(); });
    EXPECT_EQ(out.text, "RDS port NG!");
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "CloseHandle(\"COM\") not close!!");
    EXPECT_EQ(boxes[0].type, ui::MB_OK | ui::MB_ICONQUESTION);
    ui::ReleaseEndedThreads();
    EXPECT_EQ(Unit().OpenHandles(), 0);
}

}  // namespace
}  // namespace kestrin_test
