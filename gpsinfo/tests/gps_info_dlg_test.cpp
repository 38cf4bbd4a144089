#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gps_window_env.h"
#include "gpsinfo/gps_chunk.h"
#include "gpsinfo/gps_info_dlg.h"
#include "test_support/fake_gpsd.h"

namespace {

using gps_test::GpsWindowEnv;

const std::string kEndLine = "GpsReceiveProc:End.\r\n";

struct StartCase {
    const char* name;
    std::string toml;
    std::string caption;
    std::vector<std::string> messages;
    bool threadRuns = true;
};

TEST(GpsInfoDlg, CaptionAndStartFailures) {
    const StartCase cases[] = {
        {"Corvin", "[gpio]\nvariant = \"corvin\"\n", "GPS Information / Corvin", {}},
        {"Tamsel", "[gpio]\nvariant = \"tamsel\"\n", "GPS Information / Tamsel", {}},
        {"no address space",
         "[kernel.fail]\n\"virtualalloc:0x6C\" = 8\n",
         "GPS Information",
         {"VirtualAlloc() failed. errcode=0x8\r\n"}},
        {"register block not mappable",
         "[kernel.fail]\n\"virtualcopy:0xA7000000\" = 87\n",
         "GPS Information",
         {"VirtualCopy() failed. errcode=0x57\r\n"}},
        {"driver missing",
         "[gpio]\nvariant = \"tamsel\"\n[gps]\nabsent = true\n",
         "GPS Information / Tamsel",
         {"Do not open GPS driver!! errcode=0x2\r\n"}},
        {"driver refuses",
         "[gps.fail]\nopen = 0x4AB\n",
         "GPS Information / Corvin",
         {"Do not open GPS driver!! errcode=0x4ab\r\n"}},
        {"no thread",
         "[kernel.fail]\ncreatethread = 8\n",
         "GPS Information / Corvin",
         {"AfxBeginThread() failed. errcode=0x8\r\n"},
         false},
        {"everything fails",
         "[kernel.fail]\n\"virtualalloc:0x6C\" = 14\ncreatethread = 8\n[gps]\nabsent = true\n",
         "GPS Information",
         {"VirtualAlloc() failed. errcode=0xe\r\n", "Do not open GPS driver!! errcode=0x2\r\n",
          "AfxBeginThread() failed. errcode=0x8\r\n"},
         false},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        GpsWindowEnv env(c.toml);
        ASSERT_TRUE(env.loaded());
        const int handlesBefore = env.u().OpenHandles();
        CGpsInfoDlg dlg;
        env.presenter.AddCall([&] {
            EXPECT_EQ(env.Caption(), c.caption);
            EXPECT_EQ(env.Text(), "");
            std::vector<std::string> texts;
            for (const auto& box : env.boxes) {
                texts.push_back(box.text);
                EXPECT_EQ(box.type & ui::MB_ICONMASK, ui::MB_ICONQUESTION) << box.text;
                EXPECT_EQ(box.caption, "Kestrin");
            }
            EXPECT_EQ(texts, c.messages);
            EXPECT_EQ(env.u().Reservations(), 0);
        });
        env.presenter.AddKey(ui::Key::Escape);
        EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
        EXPECT_EQ(env.boxes.size(), c.messages.size()) << "a message after the start";
        ui::ReleaseEndedThreads();  // the framework keeps ended threads' objects till asked
        EXPECT_EQ(env.u().OpenHandles(), handlesBefore);
        ASSERT_TRUE(env.Settle());
        EXPECT_EQ(env.u().LiveSystemThreads(), 0);
        EXPECT_EQ(env.DebugCount(kEndLine), c.threadRuns ? 1 : 0);
    }
}

// Without a driver the thread ends at once, while the window stays.
TEST(GpsInfoDlg, WithoutDriverTheThreadEndsAtOnce) {
    GpsWindowEnv env("[gps]\nabsent = true\n");
    ASSERT_TRUE(env.loaded());
    CGpsInfoDlg dlg;
    env.presenter.AddWaitUntil([&] { return env.DebugCount(kEndLine) == 1; });
    env.presenter.AddCall([&] {
        ASSERT_TRUE(env.Settle());
        EXPECT_EQ(env.u().LiveSystemThreads(), 0);
        EXPECT_EQ(env.Text(), "");
        EXPECT_NE(env.desktop().ActiveWindow(), nullptr);
    });
    env.presenter.AddKey(ui::Key::Escape);
    dlg.DoModal();
}

enum class Dismiss { CloseBox, Escape, OkCommand, PostedClose, Quit };

// However the window goes, the thread is stopped and the driver closed once:
// with a driver whose close fails, exactly one message says so.
TEST(GpsInfoDlg, EveryWayOfClosingStopsOnce) {
    const struct {
        const char* name;
        Dismiss how;
        int result;
    } cases[] = {
        {"close box", Dismiss::CloseBox, ui::IDCANCEL},
        {"Esc", Dismiss::Escape, ui::IDCANCEL},
        {"OK command", Dismiss::OkCommand, ui::IDOK},
        {"WM_CLOSE", Dismiss::PostedClose, ui::IDCANCEL},
        {"program quits", Dismiss::Quit, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GpsWindowEnv env("[gps]\nsource = \"none\"\n[gps.fail]\nclose = 31\n");
        ASSERT_TRUE(env.loaded());
        const std::int64_t chunks = LiveGpsChunks();
        CGpsInfoDlg dlg;
        env.StepFeed("$GPGGA,1\r\n");
        env.presenter.AddCall([&] {
            EXPECT_EQ(env.driver().OpenCount(), 1);
            EXPECT_EQ(env.u().LiveSystemThreads(), 1);
            // Bytes the thread will still post while the window goes.
            env.driver().Feed("$GPGSA,2\r\n");
            const ui::HWND hwnd = dlg.m_hWnd;
            switch (c.how) {
                case Dismiss::CloseBox: {
                    const auto box = env.desktop().CloseBoxRect(hwnd);
                    ASSERT_TRUE(box.has_value());
                    env.desktop().Tap((box->left + box->right) / 2, (box->top + box->bottom) / 2);
                    break;
                }
                case Dismiss::Escape:
                    env.desktop().KeyDown(ui::Key::Escape);
                    break;
                case Dismiss::OkCommand:
                    ui::SendMessage(hwnd, ui::WM_COMMAND, ui::MAKEWPARAM(ui::IDOK, ui::BN_CLICKED),
                                    0);
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
        ASSERT_EQ(env.boxes.size(), 1U);
        EXPECT_EQ(env.boxes[0].text, "CloseHandle(\"GPS1\") not close!!");
        EXPECT_EQ(env.boxes[0].type & ui::MB_ICONMASK, ui::MB_ICONQUESTION);
        EXPECT_EQ(env.driver().OpenCount(), 0);
        ASSERT_TRUE(env.Settle());
        EXPECT_EQ(env.u().LiveSystemThreads(), 0);
        EXPECT_EQ(env.DebugCount(kEndLine), 1);
        EXPECT_EQ(LiveGpsChunks(), chunks) << "chunks left behind";
    }
}

const std::string kCycleA =
    "$GPGGA,123456.00,3537.2345,N,13944.1234,E,1,07,0.9,-12.4,M,,M,,*00\r\n"
    "$GPGSA,A,3,05,17,31,,,,,,,,,,12.9,0.9,*00\r\n"
    "$GPGSV,1,1,04,05,40,083,46,,,,,17,07,344,,31,89,007,99*00\r\n"
    "$PVSNS,A,,-2.5,1013.2,,,1,0*00\r\n"
    "$GPRMC,123456.00,A,,,,,10.0,123.45,311006,,,A*00\r\n";
const std::string kTextA =
    "Date(UTC):31/10/2006 (TUE)   TIME:12:34:56\r\n"
    "N:35d 37m 14.070s    E:139d 44m 07.404s \r\n"
    "Hight: -12m   Dir:123.4deg  Speed: 18.5km/s\r\n"
    "PDOP:12.7   HDOP: 0.9   VDOP:----\r\n"
    "Pres:1013.2hPa   Grad:-2.5deg   DR OK   Cradle off\r\n"
    "MODE:3D fix   Number of satellites:7\r\n"
    "ID:05 Ele:40 Dir:083 Level:46 <************>\r\n"
    "ID:17 Ele:07 Dir:344 Level:00 <*>\r\n"
    "ID:31 Ele:89 Dir:007 Level:99 <***************>\r\n";
// A cycle without satellites in view, another time and no fix.
const std::string kCycleB =
    "$GPGGA,000001.00,,,,,0,00,,,M,,M,,*00\r\n"
    "$GPGSA,A,1,,,,,,,,,,,,,,,*00\r\n"
    "$PVSNS,A,,0.0,1000.0,,,0,1*00\r\n"
    "$GPRMC,000001.00,V,,,,,,,,,,N*00\r\n";
const std::string kTextB =
    "Date(UTC):01/03/2003 (SAT)   TIME:00:00:01\r\n"
    "N:35d 37m 14.000s    W:139d 44m 10.000s \r\n"
    "Hight: 100m   Dir:  0.0deg  Speed:  0.0km/s\r\n"
    "PDOP:----   HDOP:----   VDOP:----\r\n"
    "Pres:1000.0hPa   Grad: 0.0deg   DR NG   Cradle on\r\n"
    "MODE:No fix   Number of satellites:0\r\n";

TEST(GpsInfoDlg, RendersEveryCompletedCycle) {
    GpsWindowEnv env("[gps]\nsource = \"none\"\n");
    ASSERT_TRUE(env.loaded());
    CGpsInfoDlg dlg;
    const std::size_t halfB = kCycleB.find("$PVSNS");
    // A whole cycle and the start of the next.
    env.StepFeed(kCycleA + kCycleB.substr(0, halfB));
    env.presenter.AddCall([&] { EXPECT_EQ(env.Text(), kTextA); });
    // The rest of that cycle, then two cycles more: the text is rebuilt for
    // each, from a cleared record.
    env.StepFeed(kCycleB.substr(halfB) + kCycleA + kCycleB);
    env.presenter.AddCall([&] { EXPECT_EQ(env.Text(), kTextB); });
    // A sentence cut anywhere by the driver still arrives whole.
    for (std::size_t cut : {std::size_t{1}, std::size_t{37}, kCycleA.size() - 3}) {
        env.StepFeed(kCycleA.substr(0, cut));
        env.StepFeed(kCycleA.substr(cut));
        env.presenter.AddCall([&, cut] { EXPECT_EQ(env.Text(), kTextA) << "cut at " << cut; });
        env.StepFeed(kCycleB);
    }
    env.presenter.AddKey(ui::Key::Escape);
    dlg.DoModal();
}

}  // namespace

namespace {

// A cycle as a standard receiver sends it: no "$PVSNS", which the driver
// makes up from the unit's sensor values.
std::string WithoutPvsns(std::string cycle) {
    const std::size_t at = cycle.find("$PVSNS");
    return cycle.erase(at, cycle.find('\n', at) + 1 - at);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

// Holds the window's steps until done() or a patience that only a broken
// build runs out of (then the wait fails).
class StepWaiter {
  public:
    explicit StepWaiter(GpsWindowEnv& env) : env_(env) {}
    ~StepWaiter() {
        {
            std::lock_guard lock(mutex_);
            over_ = true;
        }
        changed_.notify_all();
        if (alarm_.joinable()) {
            alarm_.join();
        }
    }
    StepWaiter(const StepWaiter&) = delete;
    StepWaiter& operator=(const StepWaiter&) = delete;

    void Add(const std::function<bool()>& done, const std::string& what) {
        env_.presenter.AddCall([this] { Arm(); });
        env_.presenter.AddWaitUntil([this, done] { return done() || Expired(); });
        env_.presenter.AddCall([done, what] { EXPECT_TRUE(done()) << what; });
    }

  private:
    static constexpr auto kPatience = std::chrono::seconds(60);

    void Arm() {
        if (alarm_.joinable()) {
            {
                std::lock_guard lock(mutex_);
                over_ = true;
            }
            changed_.notify_all();
            alarm_.join();
        }
        std::lock_guard lock(mutex_);
        over_ = false;
        expired_ = false;
        alarm_ = std::thread([this] {
            std::unique_lock waiting(mutex_);
            if (!changed_.wait_for(waiting, kPatience, [this] { return over_; })) {
                expired_ = true;
                waiting.unlock();
                env_.presenter.Wake();
            }
        });
    }
    bool Expired() {
        std::lock_guard lock(mutex_);
        return expired_;
    }

    GpsWindowEnv& env_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool over_ = false;
    bool expired_ = false;
    std::thread alarm_;
};

TEST(GpsInfoDlg, GpsdFeedsTheWindowAndCarriesOnWhenItComesBack) {
    test_support::FakeGpsd gpsd;
    ASSERT_TRUE(gpsd.ok());
    testing::internal::CaptureStderr();
    // The sensor values of kCycleA's "$PVSNS".
    GpsWindowEnv env("[gps]\nsource = \"gpsd\"\ngpsd = \"" + gpsd.Address() +
                         "\"\npressure = \"1013.2\"\ngradient = \"-2.5\"\ndr = true\n"
                         "cradle = false\n",
                     false);
    ASSERT_TRUE(env.loaded());
    const std::string later = Replaced(kCycleA, "123456.00", "123457.00");
    const std::string laterText = Replaced(kTextA, "TIME:12:34:56", "TIME:12:34:57");
    CGpsInfoDlg dlg;
    StepWaiter waiter(env);
    env.presenter.AddCall([&] { gpsd.Send(WithoutPvsns(kCycleA)); });
    waiter.Add([&] { return env.Text() == kTextA; }, "the first cycle through gpsd");
    // gpsd goes away and comes back: the window keeps its handle and shows
    // what comes after.
    env.presenter.AddCall([&] {
        gpsd.DropClient();
        EXPECT_TRUE(gpsd.WaitForWatchers(2, std::chrono::seconds(60)));
        gpsd.Send(WithoutPvsns(later));
    });
    waiter.Add([&] { return env.Text() == laterText; }, "the cycle after gpsd came back");
    env.presenter.AddKey(ui::Key::Escape);
    dlg.DoModal();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("GPS1: gpsd at " + gpsd.Address() + " went away"), std::string::npos)
        << said;
    EXPECT_NE(said.find("GPS1: connected to gpsd at " + gpsd.Address()), std::string::npos) << said;
    const auto requests = gpsd.Requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0], "?WATCH={\"enable\":true,\"nmea\":true}");
}

}  // namespace
