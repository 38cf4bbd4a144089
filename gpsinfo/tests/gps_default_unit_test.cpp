#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "gps1/gps1_component.h"
#include "gps1/gps1_driver.h"
#include "gps1/unit_clock.h"
#include "gpsinfo/gps_chunk.h"
#include "gpsinfo/gps_info_dlg.h"
#include "platform/services.h"
#include "program/components.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/thread.h"
#include "unit/scheduler.h"
#include "unit/virtual_unit.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start != text.size()) {
        lines.push_back(text.substr(start));  // a last line without its end
    }
    return lines;
}

// Opens "GPS Information" on the default unit, lets two seconds of the
// unit's clock go by and reads what the window shows, two hundred times
// over in one run: every time a live cycle of the recorded drive, and
// nothing left behind.
TEST(GpsDefaultUnit, ShowsTheDriveEveryTimeItOpens) {
    program::RegisterHostComponents();
    auto copy =
        unit::MakeFreshCopy(std::filesystem::path(KESTRIN_SOURCE_DIR) / "units" / "default");
    ASSERT_TRUE(copy) << copy.error().Text();
    auto loaded = unit::LoadUnit(copy->path(), {.virtualTime = true});
    ASSERT_TRUE(loaded) << loaded.error().Text();
    unit::VirtualUnit& u = **loaded;
    {
        platform::ScopedServices services(u.Services());
        ui::HeadlessPresenter presenter;
        ui::Desktop desktop(presenter, &u.Clock());
        std::vector<std::string> boxes;
        desktop.SetMessageBoxHook([&](const ui::MessageBoxInfo& box) -> std::optional<int> {
            boxes.push_back(box.text);
            return ui::IDOK;
        });

        const int handles = u.OpenHandles();
        const std::int64_t chunks = LiveGpsChunks();
        const std::regex date(R"(Date\(UTC\):21/03/2006 \(TUE\)   TIME:10:3[1-8]:[0-5]\d)");
        const std::regex position(
            R"(N:40d 2[45]m [0-5]\d\.\d{3}s    W:  3d 4[01]m [0-5]\d\.\d{3}s )");
        const std::regex motion(
            R"(Hight: 6[4-7]\dm   Dir:[ \d]{3}\.\ddeg  Speed:[ \d]{3}\.\dkm/s)");
        const std::regex dops(R"(PDOP: [1-3]\.\d   HDOP: [01]\.\d   VDOP: [1-3]\.\d)");
        const std::regex mode(R"(MODE:3D fix   Number of satellites:(8|9|10))");
        const std::regex satellite(R"(ID:\d\d Ele:\d\d Dir:\d{3} Level:\d\d <\*{1,15}>)");
        constexpr int kRuns = 200;
        std::string lastDate;
        for (int run = 0; run < kRuns; ++run) {
            SCOPED_TRACE("run " + std::to_string(run));
            CGpsInfoDlg dlg;
            presenter.AddCall(
                [&] { ASSERT_TRUE(gps1::RunUnitUntil(u, u.Clock().NowMs() + 2000)); });
            presenter.AddCall([&] {
                const auto caption = desktop.Describe(desktop.ActiveWindow());
                ASSERT_TRUE(caption.has_value());
                EXPECT_EQ(caption->text, "GPS Information / Corvin");
                const auto edit = desktop.Describe(desktop.FindControl(CGpsInfoDlg::IDC_EDIT_INFO));
                ASSERT_TRUE(edit.has_value());
                const std::vector<std::string> lines = Lines(edit->text);
                ASSERT_EQ(lines.size(), 14U) << edit->text;
                EXPECT_TRUE(std::regex_match(lines[0], date)) << lines[0];
                EXPECT_GT(lines[0], lastDate) << "the drive goes on";
                lastDate = lines[0];
                EXPECT_TRUE(std::regex_match(lines[1], position)) << lines[1];
                EXPECT_TRUE(std::regex_match(lines[2], motion)) << lines[2];
                EXPECT_TRUE(std::regex_match(lines[3], dops)) << lines[3];
                EXPECT_EQ(lines[4], "Pres:938.6hPa   Grad: 0.8deg   DR OK   Cradle on");
                EXPECT_TRUE(std::regex_match(lines[5], mode)) << lines[5];
                for (std::size_t i = 6; i < lines.size(); ++i) {
                    EXPECT_TRUE(std::regex_match(lines[i], satellite)) << lines[i];
                }
            });
            presenter.AddKey(ui::Key::Escape);
            EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
            if (HasFailure()) {
                break;
            }
        }
        EXPECT_EQ(boxes, std::vector<std::string>{});
        ui::ReleaseEndedThreads();  // the framework keeps ended threads' objects till asked
        EXPECT_EQ(u.OpenHandles(), handles);
        EXPECT_EQ(LiveGpsChunks(), chunks);
        EXPECT_EQ(gps1::FindGps1Driver(u)->OpenCount(), 0);
        ASSERT_TRUE(u.scheduler().WaitQuiescent(std::chrono::seconds(10)));
        EXPECT_EQ(u.LiveSystemThreads(), 0);
        EXPECT_EQ(u.Reservations(), 0);
        int ends = 0;
        for (const auto& line : u.DebugLines()) {
            ends += line == "GpsReceiveProc:End.\r\n" ? 1 : 0;
        }
        EXPECT_EQ(ends, HasFailure() ? ends : kRuns);
    }
}

}  // namespace
