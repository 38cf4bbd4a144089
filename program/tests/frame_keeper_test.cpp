// The frame keeper between the window and the framework.
#include "frame_keeper.h"

#include <gtest/gtest.h>

#include <vector>

namespace program {
namespace {

// Counts what reaches the window.
class CountingPresenter final : public ui::Presenter {
  public:
    int presents = 0;
    int wakes = 0;
    int waits = 0;
    void Present(const ui::Framebuffer& /*screen*/) override { ++presents; }
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> /*deadline*/) override {
        ++waits;
        return {ui::InputEvent::Kind::PenDown, 1, 2, ui::Key::None, {}};
    }
    void Wake() override { ++wakes; }
};

TEST(FrameKeeperTest, FramesAreShownKeptAndReportedAndInputPasses) {
    CountingPresenter inner;
    FrameKeeper keeper(inner);
    std::vector<std::uint64_t> reported;
    keeper.afterPresent = [&](std::uint64_t frame) {
        reported.push_back(frame);
        EXPECT_EQ(inner.presents, static_cast<int>(frame));  // shown before the report
    };
    ui::Framebuffer frame;
    frame.SetPixel(3, 4, 0x123456);
    keeper.Present(ui::Framebuffer());
    keeper.Present(frame);
    EXPECT_EQ(reported, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(keeper.Frames(), 2U);
    EXPECT_EQ(keeper.LastFrame().GetPixel(3, 4), 0x123456U);
    EXPECT_EQ(keeper.WaitEvent(std::nullopt).y, 2);
    keeper.Wake();
    EXPECT_EQ(inner.wakes, 1);
    EXPECT_EQ(inner.waits, 1);
}

}  // namespace
}  // namespace program
