#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "gpsinfo/gps_chunk.h"
#include "gpsinfo/gps_receive.h"
#include "scripted_gps_kernel.h"
#include "ui/desktop.h"
#include "ui/framework.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"

namespace {

using namespace gps_test;

// What the receive loop shares with its window.
struct Shared {
    std::atomic<std::int32_t> stop{0};
    std::atomic<platform::HANDLE> gps{ScriptedGpsKernel::kGps};
    ui::HWND window = nullptr;
};

ui::UINT LoopThread(ui::LPVOID param) {
    auto* shared = static_cast<Shared*>(param);
    GpsReceiveLoop(shared->stop, shared->gps, shared->window);
    return 0;
}

// Takes the chunks the loop posts, keeping their bytes, and runs the loop
// on a thread of its own once it exists.
class ChunkWindow : public ui::CDialog {
  public:
    explicit ChunkWindow(Shared& shared) : CDialog(Template()), shared_(shared) {
        BindMessage(WM_GPS_DATA, &ChunkWindow::OnData);
    }

    std::vector<std::string> chunks;
    ui::CWinThread* thread = nullptr;

  protected:
    ui::BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        shared_.window = m_hWnd;
        thread = ui::AfxBeginThread(LoopThread, &shared_);
        return ui::TRUE;
    }

  private:
    static ui::DialogTemplate Template() {
        ui::DialogTemplate t;
        t.caption = "chunks";
        t.cx = 100;
        t.cy = 60;
        return t;
    }
    ui::LRESULT OnData(ui::WPARAM wParam, ui::LPARAM lParam) {
        const GpsChunk chunk = AdoptGpsChunk(wParam);
        chunks.emplace_back(reinterpret_cast<const char*>(chunk.get()),
                            static_cast<std::size_t>(lParam));
        return 0;
    }

    Shared& shared_;
};

struct Case {
    const char* name;
    std::vector<DriverAnswer> script;
    std::vector<std::string> posted;
    bool stoppedBefore = false;
};

TEST(GpsReceiveLoop, AgainstAScriptedDriver) {
    const Case cases[] = {
        {"one chunk per non-zero count, none for zero",
         {Wait(), Size(0), Wait(), Size(5), Data("$GPGG"), Wait(), Size(0), Wait(), Size(0), Wait(),
          Size(3), Data("A,1"), Fails(0, 6)},
         {"$GPGG", "A,1"}},
        {"wait fails at once", {Fails(0, 6)}, {}},
        {"size request fails", {Wait(), Size(2), Data("ab"), Wait(), Fails(1, 31)}, {"ab"}},
        {"read fails", {Wait(), Size(4), Fails(2, 1167)}, {}},
        {"stop flag set while waiting", {Wait(true)}, {}},
        {"stop flag set before the start", {}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int64_t chunksBefore = LiveGpsChunks();
        ScriptedGpsKernel kernel;
        ui::ManualClock clock;
        platform::ScopedServices services(
            platform::Services{&kernel, nullptr, nullptr, nullptr, nullptr, &clock, nullptr});
        ui::HeadlessPresenter presenter(&clock);
        ui::Desktop desktop(presenter, &clock);

        Shared shared;
        shared.stop = c.stoppedBefore ? 1 : 0;
        kernel.SetScript(c.script, &shared.stop);
        ChunkWindow window(shared);
        presenter.AddWaitUntil(
            [&] { return window.thread == nullptr || window.thread->HasEnded(); });
        presenter.AddCall([] {});  // what the thread posted last is taken first
        presenter.AddCall([&] {
            EXPECT_EQ(window.chunks, c.posted);
            EXPECT_EQ(kernel.Debug(), std::vector<std::string>{"GpsReceiveProc:End.\r\n"});
            EXPECT_EQ(kernel.Problems(), std::vector<std::string>{});
            window.EndDialog(ui::IDOK);
        });
        EXPECT_EQ(window.DoModal(), ui::IDOK);
        EXPECT_EQ(LiveGpsChunks(), chunksBefore) << "a chunk was not freed";
    }
}

// With no window to take it, the chunk goes back to the heap.
TEST(GpsReceiveLoop, ChunkThatCannotBePostedIsFreed) {
    ScriptedGpsKernel kernel;
    platform::ScopedServices services(platform::Services{&kernel});
    Shared shared;
    kernel.SetScript({Wait(), Size(3), Data("abc"), Wait(), Size(1), Data("d"), Fails(0, 6)},
                     &shared.stop);
    const std::int64_t before = LiveGpsChunks();
    GpsReceiveLoop(shared.stop, shared.gps, nullptr);
    EXPECT_EQ(LiveGpsChunks(), before);
    EXPECT_EQ(kernel.Problems(), std::vector<std::string>{});
}

}  // namespace
