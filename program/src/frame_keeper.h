// Passes everything to the window and keeps the last frame shown, for the
// screenshot when the run ends.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "ui/graphics.h"
#include "ui/presenter.h"

namespace program {

class FrameKeeper final : public ui::Presenter {
  public:
    explicit FrameKeeper(ui::Presenter& inner) : inner_(inner) {}

    void Present(const ui::Framebuffer& screen) override {
        last_ = screen;
        inner_.Present(screen);
        ++frames_;
        if (afterPresent) {
            afterPresent(frames_);
        }
    }
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override {
        return inner_.WaitEvent(deadlineMs);
    }
    void Wake() override { inner_.Wake(); }

    [[nodiscard]] const ui::Framebuffer& LastFrame() const { return last_; }
    [[nodiscard]] std::uint64_t Frames() const { return frames_; }
    // Called after each frame has been shown.
    std::function<void(std::uint64_t frame)> afterPresent;

  private:
    ui::Presenter& inner_;
    ui::Framebuffer last_;
    std::uint64_t frames_ = 0;
};

}  // namespace program
