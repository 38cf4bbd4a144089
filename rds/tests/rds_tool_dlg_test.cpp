// The RDS tool end to end: the window on a virtual unit whose COM7: has the
// simulated tuner module, driven as a technician would.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "host/com7/line_pacer.h"
#include "host/com7/tuner_module.h"
#include "rds_tool_env.h"
#include "redsea_vectors.h"
#include "test_support/com_port_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using rds_test::RdsToolEnv;

const Bytes kMuteOff = {0xFF, 0x6D, 0x01, 0x00, 0x6D};

// The stations of the default unit, for units made in a test.
const std::string kStations = test_support::StationsToml();

TEST(RdsTool, OpeningSetsTheWindowUpAndSendsMuteOffOnceAfterTheThreadStarts) {
    RdsToolEnv env(RdsToolEnv::DefaultUnit{});
    ASSERT_TRUE(env.loaded());
    CRdsToolDlg dlg;
    env.presenter.AddCall([&] {
        EXPECT_EQ(env.kernel().Calls(),
                  (std::vector<std::string>{"CreateFile COM7: C0000000 00 03 00", "GetCommState",
                                            "SetCommState 38400 8 0 0", "SetCommMask 01",
                                            "CreateThread 3", "WriteFile FF 6D 01 00 6D"}));
        EXPECT_TRUE(env.boxes.empty());
        EXPECT_EQ(env.desktop().Describe(env.desktop().ActiveWindow())->text, "RDS Tool");
        EXPECT_EQ(env.Text(IDC_RDS_FREQUENCY), "875");
        EXPECT_EQ(env.Text(IDC_RDS_TUNE_PARAM), "0");
        EXPECT_EQ(env.Text(IDC_RDS_SEEK_PARAM), "1");
        EXPECT_TRUE(env.Checked(IDC_RDS_TUNE_MODE));
        EXPECT_FALSE(env.Checked(IDC_RDS_SEEK_MODE));
        EXPECT_TRUE(env.Checked(IDC_RDS_SEEK_UP));
        EXPECT_FALSE(env.Checked(IDC_RDS_SEEK_DOWN));
        EXPECT_TRUE(env.Checked(IDC_RDS_MUTE_OFF));
        EXPECT_FALSE(env.Checked(IDC_RDS_MUTE_ON));
        EXPECT_EQ(env.u().LiveSystemThreads(), 1);
    });
    env.StepAdvance(100);
    env.presenter.AddCall([&] {
        EXPECT_EQ(env.NewWrites(), kMuteOff) << "once";
        EXPECT_FALSE(env.port().State().muted) << "the module took it";
        EXPECT_EQ(env.port().State().dcb.BaudRate, 38400U);
        // The spin ranges: the up-downs stop at their ends.
        for (const auto& [spin, edit, low, high] :
             {std::tuple{IDC_RDS_FREQUENCY_SPIN, IDC_RDS_FREQUENCY, "875", "1080"},
              std::tuple{IDC_RDS_TUNE_PARAM_SPIN, IDC_RDS_TUNE_PARAM, "0", "15"},
              std::tuple{IDC_RDS_SEEK_PARAM_SPIN, IDC_RDS_SEEK_PARAM, "1", "3"}}) {
            auto* s = dynamic_cast<ui::CSpinButtonCtrl*>(
                env.desktop().WndOf(env.desktop().FindControl(spin)));
            ASSERT_NE(s, nullptr);
            s->SetPos(-100000);
            EXPECT_EQ(env.Text(edit), low);
            s->SetPos(100000);
            EXPECT_EQ(env.Text(edit), high);
        }
    });
    env.presenter.AddKey(ui::Key::Escape);
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
}

struct EnableCase {
    int id;
    bool tune;
    bool seek;
};

TEST(RdsTool, EachModeEnablesItsRow) {
    const std::vector<EnableCase> table = {
        {IDC_RDS_FREQUENCY, true, true},
        {IDC_RDS_FREQUENCY_SPIN, true, false},
        {IDC_RDS_TUNE_PARAM, true, false},
        {IDC_RDS_TUNE_PARAM_SPIN, true, false},
        {IDC_RDS_TUNE_SEND, true, false},
        {IDC_RDS_TUNE_TUNED, true, false},
        {IDC_RDS_TUNE_STRENGTH, true, false},
        {IDC_RDS_SEEK_UP, false, true},
        {IDC_RDS_SEEK_DOWN, false, true},
        {IDC_RDS_SEEK_PARAM, false, true},
        {IDC_RDS_SEEK_PARAM_SPIN, false, true},
        {IDC_RDS_SEEK_SEND, false, true},
        {IDC_RDS_SEEK_FOUND, false, true},
        {IDC_RDS_SEEK_TUNED, false, true},
        // Untouched by either mode.
        {IDC_RDS_SHOW_LEVEL, true, true},
        {IDC_RDS_SHOW_VERSION, true, true},
        {IDC_RDS_MUTE_ON, true, true},
        {IDC_RDS_PS_NAME, true, true},
        {IDC_RDS_TUNE_MODE, true, true},
        {IDC_RDS_SEEK_MODE, true, true},
    };
    RdsToolEnv env(kStations);
    ASSERT_TRUE(env.loaded());
    CRdsToolDlg dlg;
    const auto expect = [&](bool tuneMode) {
        for (const auto& row : table) {
            EXPECT_EQ(env.Enabled(row.id), tuneMode ? row.tune : row.seek)
                << "control " << row.id << (tuneMode ? " in tune mode" : " in seek mode");
        }
    };
    env.presenter.AddCall([&] { expect(true); });
    env.StepTap(IDC_RDS_SEEK_MODE);
    env.presenter.AddCall([&] {
        EXPECT_TRUE(env.Checked(IDC_RDS_SEEK_MODE));
        EXPECT_FALSE(env.Checked(IDC_RDS_TUNE_MODE));
        expect(false);
    });
    // A disabled "send" does nothing.
    env.StepTap(IDC_RDS_TUNE_SEND);
    env.StepTap(IDC_RDS_TUNE_MODE);
    env.presenter.AddCall([&] {
        expect(true);
        EXPECT_EQ(env.NewWrites(), kMuteOff);
    });
    env.presenter.AddKey(ui::Key::Escape);
    dlg.DoModal();
}

struct FrameCase {
    const char* name;
    std::vector<int> taps;                           // in this order
    std::vector<std::pair<int, std::string>> texts;  // typed into edits first
    Bytes frame;
};

TEST(RdsTool, SendButtonsBuildTheirFramesFromTheControls) {
    const std::vector<FrameCase> cases = {
        {"tune at the top",
         {IDC_RDS_TUNE_SEND},
         {{IDC_RDS_FREQUENCY, "1080"}, {IDC_RDS_TUNE_PARAM, "15"}},
         {0xFF, 0x73, 0xCD, 0xFF, 0x73}},
        {"tune at the bottom", {IDC_RDS_TUNE_SEND}, {}, {0xFF, 0x73, 0x00, 0xF0, 0x73}},
        {"tune in between",
         {IDC_RDS_TUNE_SEND},
         {{IDC_RDS_FREQUENCY, "1003"}, {IDC_RDS_TUNE_PARAM, "7"}},
         {0xFF, 0x73, 0x80, 0xF7, 0x73}},
        {"seek down",
         {IDC_RDS_SEEK_MODE, IDC_RDS_SEEK_DOWN, IDC_RDS_SEEK_SEND},
         {{IDC_RDS_SEEK_PARAM, "2"}},
         {0xFF, 0x58, 0xFE, 0x02, 0x58}},
        {"seek up",
         {IDC_RDS_SEEK_MODE, IDC_RDS_SEEK_SEND},
         {{IDC_RDS_SEEK_PARAM, "3"}},
         {0xFF, 0x59, 0xFE, 0x03, 0x59}},
        {"show level", {IDC_RDS_SHOW_LEVEL}, {}, {0xFF, 0x6C, 0x00, 0x00, 0x6C}},
        {"show version", {IDC_RDS_SHOW_VERSION}, {}, {0xFF, 0x56, 0x00, 0x00, 0x56}},
        {"mute on", {IDC_RDS_MUTE_ON}, {}, {0xFF, 0x6D, 0x00, 0x00, 0x6D}},
        {"mute off", {IDC_RDS_MUTE_OFF}, {}, kMuteOff},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RdsToolEnv env(kStations);
        ASSERT_TRUE(env.loaded());
        CRdsToolDlg dlg;
        env.presenter.AddCall([&] {
            env.NewWrites();
            for (const auto& [id, text] : c.texts) {
                env.SetText(id, text);
            }
        });
        for (int id : c.taps) {
            env.StepTap(id);
        }
        env.presenter.AddCall([&] { EXPECT_EQ(env.NewWrites(), c.frame); });
        env.presenter.AddKey(ui::Key::Escape);
        dlg.DoModal();
    }
}

TEST(RdsTool, ASeekMovesTheFrequencyToTheStationFoundAndTimesIt) {
    RdsToolEnv env(RdsToolEnv::DefaultUnit{});
    ASSERT_TRUE(env.loaded());
    CRdsToolDlg dlg;
    env.StepTap(IDC_RDS_SEEK_MODE);
    env.StepTap(IDC_RDS_SEEK_SEND);  // up from 875
    env.StepAdvance(2000);
    env.presenter.AddCall([&] {
        EXPECT_EQ(env.Text(IDC_RDS_FREQUENCY), "889");
        EXPECT_TRUE(env.Checked(IDC_RDS_SEEK_FOUND));
        EXPECT_TRUE(env.Checked(IDC_RDS_SEEK_TUNED));
        // The reply was decoded when the clock had moved 2000 ms on from the
        // send.
        EXPECT_EQ(env.DebugCount("[RDS]Seek time = 2000ms\r\n"), 1);
        env.NewWrites();
    });
    // Back in tune mode, "send" tunes to what the up-down now reads.
    env.StepTap(IDC_RDS_TUNE_MODE);
    env.StepTap(IDC_RDS_TUNE_SEND);
    env.presenter.AddCall([&] {
        EXPECT_EQ(env.NewWrites(), (Bytes{0xFF, 0x73, 0x0E, 0xF0, 0x73}));
    });
    // Down from 889 round the bottom of the band to 1003.
    env.StepTap(IDC_RDS_SEEK_MODE);
    env.StepTap(IDC_RDS_SEEK_DOWN);
    env.StepTap(IDC_RDS_SEEK_SEND);
    env.StepAdvance(500);
    env.presenter.AddCall([&] {
        // The scan takes 1.4 s; meanwhile everything shows the last reply.
        EXPECT_EQ(env.Text(IDC_RDS_FREQUENCY), "889");
        EXPECT_TRUE(env.Checked(IDC_RDS_SEEK_FOUND));
        EXPECT_TRUE(env.Checked(IDC_RDS_SEEK_TUNED));
    });
    env.StepAdvance(1500);
    env.presenter.AddCall([&] {
        EXPECT_EQ(env.Text(IDC_RDS_FREQUENCY), "1003");
        EXPECT_EQ(env.DebugCount("[RDS]Seek time = 2000ms\r\n"), 2);
    });
    env.presenter.AddKey(ui::Key::Escape);
    dlg.DoModal();
}

struct TuneCase {
    const char* frequency;
    bool tuned;
    bool strength;
    std::string level;
    std::string name;  // as the station sends it; empty: none comes
    std::string pi;
};

TEST(RdsTool, TuningShowsTheFlagsTheLevelAndTheStationsName) {
    const std::vector<TuneCase> cases = {
        {"1003", true, true, "55", "RADIO 3 ", "0xE203"},
        {"939", true, false, "18", "KISS FM ", "0xE2C3"},
        {"900", false, false, "-1", "", "0x0000"},  // noise: 0xFF is -1
    };
    RdsToolEnv env(RdsToolEnv::DefaultUnit{});
    ASSERT_TRUE(env.loaded());
    CRdsToolDlg dlg;
    for (const auto& c : cases) {
        env.presenter.AddCall([&] {
            env.SetText(IDC_RDS_FREQUENCY, c.frequency);
            env.SetText(IDC_RDS_PS_NAME, "");
        });
        env.StepTap(IDC_RDS_TUNE_SEND);
        env.StepAdvance(1500);
        env.StepTap(IDC_RDS_SHOW_LEVEL);
        env.StepAdvance(50);
        env.presenter.AddCall([&] {
            SCOPED_TRACE(c.frequency);
            EXPECT_EQ(env.Checked(IDC_RDS_TUNE_TUNED), c.tuned);
            EXPECT_EQ(env.Checked(IDC_RDS_TUNE_STRENGTH), c.strength);
            EXPECT_EQ(env.Text(IDC_RDS_LEVEL), c.level);
            EXPECT_EQ(env.Text(IDC_RDS_PS_NAME), c.name);
            // The last frame was the level reply.
            EXPECT_EQ(env.Text(IDC_RDS_RAW_A), "0x0000");
            EXPECT_EQ(env.Text(IDC_RDS_RAW_B), "0x6C00");
        });
        if (c.tuned) {
            // The station's groups keep coming: their word A is its PI.
            env.StepAdvance(300);
            env.presenter.AddCall([&] { EXPECT_EQ(env.Text(IDC_RDS_RAW_A), c.pi); });
        }
    }
    env.presenter.AddKey(ui::Key::Escape);
    dlg.DoModal();
}

// A station sending a capture made from the groups of a recorded station
// with the noise of the air around them: the tool shows the name that an
// independent decoder gives for those groups, once the segments have come
// in order, and nothing before.
TEST(RdsTool, ANoisyCaptureShowsTheNameAnIndependentDecoderGives) {
    const auto sections = rds_test::LoadRedseaVectors();
    ASSERT_EQ(sections.size(), 2U);
    // 0..3: the section's groups, segments 0 to 3; below 0: noise.
    constexpr int kRadiotext = -1;
    constexpr int kLabelling = -2;
    constexpr int kClock = -3;
    constexpr int kSegment2InError = -4;
    struct NoiseCase {
        const char* name;
        std::vector<int> groups;  // each case completes the name with its last group
    };
    const std::vector<NoiseCase> cases = {
        {"other groups and a block in error",
         {kRadiotext, 0, kRadiotext, 1, kSegment2InError, kLabelling, 3, kClock, 0, 1, kRadiotext,
          2, 3}},
        {"segments out of order", {0, 2, 1, 3, kRadiotext, 0, 1, 2, 3}},
        {"a group lost mid-name", {0, 1, 3, kLabelling, 0, 1, 2, 3}},
    };
    const auto hex = [](std::uint16_t block) {
        char text[8];
        static_cast<void>(std::snprintf(text, sizeof text, "%04X", block));
        return std::string(text);
    };
    for (const auto& section : sections) {
        const std::uint16_t pi = section.groups[0][0];
        for (const auto& c : cases) {
            SCOPED_TRACE(section.ps + ": " + c.name);
            std::string capture = "<groups made for the test>\n";
            for (const int g : c.groups) {
                std::array<std::uint16_t, 4> blocks{};
                if (g >= 0) {
                    blocks = section.groups[static_cast<std::size_t>(g)];
                } else if (g == kSegment2InError) {
                    blocks = section.groups[2];
                } else {
                    const std::uint16_t b = g == kRadiotext   ? 0x2130
                                            : g == kLabelling ? 0x1130
                                                              : 0x4131;
                    blocks = {pi, b, 0x5241, 0x4449};
                }
                capture += hex(blocks[0]) + " " + hex(blocks[1]) + " " + hex(blocks[2]) + " " +
                           (g == kSegment2InError ? "----" : hex(blocks[3])) + "\n";
            }
            RdsToolEnv env("[[com.station]]\nfrequency = 950\ngroups = \"capture.spy\"\n", true,
                           {{"capture.spy", capture}});
            ASSERT_TRUE(env.loaded());
            CRdsToolDlg dlg;
            env.presenter.AddCall([&] { env.SetText(IDC_RDS_FREQUENCY, "950"); });
            env.StepTap(IDC_RDS_TUNE_SEND);
            // The tune command on the line, the module's answer, one group
            // time to settle, then the capture from its start.
            const std::uint64_t lastUs = host::com7::ByteEndUs(4) + host::com7::kAnswerUs +
                                         host::com7::GroupUs(1) +
                                         host::com7::GroupUs(c.groups.size() - 1);
            env.StepAdvance(lastUs / 1000 - 40);
            env.presenter.AddCall([&] { EXPECT_EQ(env.Text(IDC_RDS_PS_NAME), ""); });
            env.StepAdvance(80);
            env.presenter.AddCall([&] { EXPECT_EQ(env.Text(IDC_RDS_PS_NAME), section.ps); });
            env.presenter.AddKey(ui::Key::Escape);
            dlg.DoModal();
        }
    }
}

TEST(RdsTool, VersionNumbersAreShownAsSignedBytes) {
    struct VersionCase {
        const char* toml;
        std::vector<std::string> shown;
        std::vector<std::string> raw;
    };
    const std::vector<VersionCase> cases = {
        {"[com]\nversion = [1, 2, 3]\n", {"1", "2", "3"}, {"0x0000", "0x5601", "0x0203", "0x0000"}},
        {"[com]\nversion = [0x81, 2, 255]\n",
         {"-127", "2", "-1"},
         {"0x0000", "0x5681", "0x02FF", "0x0000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.toml);
        RdsToolEnv env(c.toml);
        ASSERT_TRUE(env.loaded());
        CRdsToolDlg dlg;
        env.StepTap(IDC_RDS_SHOW_VERSION);
        env.StepAdvance(50);
        env.presenter.AddCall([&] {
            EXPECT_EQ(
                (std::vector<std::string>{env.Text(IDC_RDS_VERSION1), env.Text(IDC_RDS_VERSION2),
                                          env.Text(IDC_RDS_VERSION3)}),
                c.shown);
            EXPECT_EQ((std::vector<std::string>{env.Text(IDC_RDS_RAW_A), env.Text(IDC_RDS_RAW_B),
                                                env.Text(IDC_RDS_RAW_C), env.Text(IDC_RDS_RAW_D)}),
                      c.raw);
        });
        env.presenter.AddKey(ui::Key::Escape);
        dlg.DoModal();
    }
}

TEST(RdsTool, WithoutAPortOrAThreadItSaysSoAndStaysOpen) {
    struct StartCase {
        const char* name;
        const char* toml;
        std::vector<std::string> boxes;
        Bytes writes;  // what reaches the port: the mute and a version query
        bool receives;
    };
    const Bytes versionQuery = {0xFF, 0x56, 0x00, 0x00, 0x56};
    Bytes both = kMuteOff;
    both.insert(both.end(), versionQuery.begin(), versionQuery.end());
    const std::vector<StartCase> cases = {
        {"no COM7:", "[com]\nabsent = true\n", {"Cannot open the tuner port COM7:."}, {}, false},
        {"COM7: refuses",
         "[com.fail]\nopen = 5\n",
         {"Cannot open the tuner port COM7:."},
         {},
         false},
        {"no thread",
         "[kernel.fail]\ncreatethread = 8\n",
         {"Cannot start the tuner receive thread."},
         both,
         false},
        {"both",
         "[com]\nabsent = true\n[kernel.fail]\ncreatethread = 8\n",
         {"Cannot open the tuner port COM7:.", "Cannot start the tuner receive thread."},
         {},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RdsToolEnv env(c.toml);
        ASSERT_TRUE(env.loaded());
        const int handles = env.u().OpenHandles();
        CRdsToolDlg dlg;
        env.StepAdvance(100);
        env.StepTap(IDC_RDS_SHOW_VERSION);
        env.StepAdvance(100);
        env.presenter.AddCall([&] {
            std::vector<std::string> texts;
            for (const auto& box : env.boxes) {
                texts.push_back(box.text);
                EXPECT_EQ(box.type & ui::MB_TYPEMASK, ui::MB_OK);
            }
            EXPECT_EQ(texts, c.boxes);
            EXPECT_EQ(env.port().Written(), c.writes);
            EXPECT_EQ(env.Text(IDC_RDS_VERSION1), "") << "nothing is received";
            EXPECT_EQ(env.u().LiveSystemThreads(), 0) << "a thread on no port ends at once";
            EXPECT_NE(env.desktop().ActiveWindow(), nullptr);
        });
        env.presenter.AddKey(ui::Key::Escape);
        EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
        ui::ReleaseEndedThreads();
        EXPECT_EQ(env.u().OpenHandles(), handles);
    }
}

enum class Dismiss { CloseBox, Escape, Enter, PostedClose, Quit };

TEST(RdsTool, HoweverItClosesThePortIsReleasedAndTheThreadHasEnded) {
    const struct {
        const char* name;
        Dismiss how;
        int result;
    } cases[] = {
        {"close box", Dismiss::CloseBox, ui::IDCANCEL},
        {"Esc", Dismiss::Escape, ui::IDCANCEL},
        {"Enter", Dismiss::Enter, ui::IDOK},
        {"WM_CLOSE", Dismiss::PostedClose, ui::IDCANCEL},
        {"program quits", Dismiss::Quit, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Tuned to a station from the start: frames arrive all the time.
        RdsToolEnv env(test_support::StationsToml("frequency = 1003\n"));
        ASSERT_TRUE(env.loaded());
        const int handles = env.u().OpenHandles();
        CRdsToolDlg dlg;
        env.StepAdvance(1000);
        env.presenter.AddCall([&] {
            EXPECT_EQ(env.Text(IDC_RDS_PS_NAME), "RADIO 3 ");
            env.kernel().ClearCalls();
            // The clock moves on: the module's frames are on their way while
            // the window goes.
            env.u().scheduler().AdvanceTo(env.u().scheduler().NowMs() + 500);
            const ui::HWND hwnd = env.desktop().ActiveWindow();
            switch (c.how) {
                case Dismiss::CloseBox: {
                    const ui::Rect r = *env.desktop().CloseBoxRect(hwnd);
                    env.desktop().Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                    break;
                }
                case Dismiss::Escape:
                    env.desktop().KeyDown(ui::Key::Escape);
                    break;
                case Dismiss::Enter:
                    env.desktop().KeyDown(ui::Key::Enter);
                    break;
                case Dismiss::PostedClose:
                    ui::PostMessage(hwnd, ui::WM_CLOSE, 0, 0);
                    break;
                case Dismiss::Quit:
                    env.desktop().Quit();
                    break;
            }
        });
        EXPECT_EQ(dlg.DoModal(), c.result);
        const auto calls = env.kernel().Calls();
        ui::ReleaseEndedThreads();  // the framework keeps ended threads' objects till asked
        EXPECT_EQ(env.u().LiveSystemThreads(), 0);
        EXPECT_EQ(env.u().OpenHandles(), handles);
        EXPECT_EQ(env.port().State().opens, 0);
        ASSERT_GE(calls.size(), 2U);
        EXPECT_EQ(calls[0], "SetCommMask 00");
        EXPECT_EQ(calls[1], "CloseHandle");
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "CloseHandle"), 1);
    }
}

// Enter is the framework's OK: the edits are read back first, so a text that
// is no number keeps the tool open and working; once they read back, the
// close sequence runs as for every other way out.
TEST(RdsTool, EnterReadsTheEditsBackBeforeItCloses) {
    RdsToolEnv env(kStations);
    ASSERT_TRUE(env.loaded());
    const int handles = env.u().OpenHandles();
    CRdsToolDlg dlg;
    for (const int id : {IDC_RDS_FREQUENCY, IDC_RDS_TUNE_PARAM, IDC_RDS_SEEK_PARAM}) {
        env.presenter.AddCall([&env, id] {
            env.boxes.clear();
            env.SetText(id, "abc");
            env.desktop().KeyDown(ui::Key::Enter);
        });
        env.presenter.AddCall([&env, id] {
            SCOPED_TRACE(id);
            ASSERT_EQ(env.boxes.size(), 1U);
            EXPECT_EQ(env.boxes[0].text, "Please enter an integer.");
            EXPECT_EQ(env.boxes[0].type, ui::MB_OK | ui::MB_ICONEXCLAMATION);
            EXPECT_EQ(env.desktop().Describe(env.desktop().ActiveWindow())->text, "RDS Tool");
            EXPECT_EQ(env.port().State().opens, 1);
            EXPECT_EQ(env.u().LiveSystemThreads(), 1);
            env.SetText(id, "2");
        });
    }
    env.presenter.AddCall([&] {
        env.kernel().ClearCalls();
        env.desktop().KeyDown(ui::Key::Enter);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    const auto calls = env.kernel().Calls();
    ASSERT_GE(calls.size(), 2U);
    EXPECT_EQ(calls[0], "SetCommMask 00");
    EXPECT_EQ(calls[1], "CloseHandle");
    EXPECT_EQ(env.u().LiveSystemThreads(), 0);
    EXPECT_EQ(env.u().OpenHandles(), handles);
}

// Closing the window while frames stream in, many times in one run: the
// thread is always waited for (serving its control updates), nothing is
// left open and nothing hangs.
TEST(RdsTool, ClosingWhileFramesStreamFiveHundredTimes) {
    RdsToolEnv env(test_support::StationsToml("frequency = 1003\nchunk_max = 3\n"));
    ASSERT_TRUE(env.loaded());
    const int handles = env.u().OpenHandles();
    for (int round = 0; round < 500; ++round) {
        CRdsToolDlg dlg;
        // A varying share of a group time (87.6 ms) and of the name's cycle.
        const std::uint64_t ms = 40 + static_cast<std::uint64_t>(round * 37 % 900);
        env.presenter.AddCall([&, ms] {
            env.u().scheduler().AdvanceTo(env.u().scheduler().NowMs() + ms);
            if (round % 2 == 0) {
                env.desktop().KeyDown(ui::Key::Escape);
            } else {
                ui::PostMessage(env.desktop().ActiveWindow(), ui::WM_CLOSE, 0, 0);
            }
        });
        dlg.DoModal();
        ui::ReleaseEndedThreads();
        ASSERT_EQ(env.u().LiveSystemThreads(), 0) << "round " << round;
        ASSERT_EQ(env.u().OpenHandles(), handles) << "round " << round;
    }
    EXPECT_EQ(env.port().State().opens, 0);
}

}  // namespace

namespace {

// The layout: everything on the window, nothing on top of anything else
// (an up-down shares its buddy's border), the four group boxes and the two
// labels.
TEST(RdsTool, ControlsFitTheWindowWithoutOverlapping) {
    const ui::DialogTemplate t = CRdsToolDlg::Template103();
    EXPECT_EQ(t.id, 103);
    EXPECT_EQ(t.caption, "RDS Tool");
    EXPECT_EQ(t.cx, 180);
    EXPECT_EQ(t.cy, 122);
    const auto right = [](const ui::DialogItem& i) { return i.x + i.cx; };
    const auto bottom = [](const ui::DialogItem& i) { return i.y + i.cy; };
    const auto isBox = [](const ui::DialogItem& i) {
        return (i.style & ui::BS_TYPEMASK) == ui::BS_GROUPBOX && i.cls == ui::ControlClass::Button;
    };
    std::vector<std::string> boxes;
    for (const auto& item : t.items) {
        EXPECT_GE(item.x, 0) << item.id;
        EXPECT_GE(item.y, 0) << item.id;
        EXPECT_LE(right(item), t.cx) << item.id;
        EXPECT_LE(bottom(item), t.cy) << item.id;
        if (isBox(item)) {
            boxes.push_back(item.text);
        }
    }
    for (std::size_t a = 0; a < t.items.size(); ++a) {
        for (std::size_t b = a + 1; b < t.items.size(); ++b) {
            const auto& p = t.items[a];
            const auto& q = t.items[b];
            if (isBox(p) || isBox(q) || (q.cls == ui::ControlClass::UpDown && b == a + 1)) {
                continue;
            }
            const bool apart =
                right(p) <= q.x || right(q) <= p.x || bottom(p) <= q.y || bottom(q) <= p.y;
            EXPECT_TRUE(apart) << p.id << " overlaps " << q.id;
        }
    }
    EXPECT_EQ(boxes, (std::vector<std::string>{"frequency", "level", "Muting", "version"}));
    for (const char* label : {"PS", "Result"}) {
        EXPECT_TRUE(std::any_of(t.items.begin(), t.items.end(), [label](const ui::DialogItem& i) {
            return i.cls == ui::ControlClass::Static && i.text == label;
        })) << label;
    }
}

}  // namespace
