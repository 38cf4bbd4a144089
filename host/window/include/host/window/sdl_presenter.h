// The unit's screen in an SDL window on the development machine: the
// 320 x 240 framebuffer scaled up by a whole factor, the left mouse button as
// the pen, the keyboard as keys and typed text, the close box as power off.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "platform/services.h"
#include "ui/presenter.h"

namespace host::window {

class SdlPresenter final : public ui::Presenter {
  public:
    struct Options {
        int scale = 2;  // 1 to 8
        std::string title = "Kestrin";
        bool hidden = false;  // tests keep the window off the desktop
    };

    // Opens the window, or says why SDL's video or the window cannot be set
    // up. Deadlines of WaitEvent are read on
    // clock, which must outlive the presenter. Create, Present, WaitEvent
    // and ReadBack belong to one thread (the UI thread); Wake to any.
    static platform::Result<std::unique_ptr<SdlPresenter>> Create(const Options& options,
                                                                  platform::Clock& clock);
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    void Present(const ui::Framebuffer& screen) override;
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override;
    void Wake() override;

    // What the window shows, read back from the renderer at screen
    // resolution (tests and diagnostics), or why it cannot be.
    platform::Result<void> ReadBack(ui::Framebuffer* out);
    // SDL's id of the window, for events made up by tests.
    [[nodiscard]] std::uint32_t WindowId() const;
    [[nodiscard]] int Scale() const { return scale_; }
    // Where the mouse is over the screen, in screen pixels, pen down or not;
    // nothing once it has left the window.
    [[nodiscard]] std::optional<ui::Point> Pointer() const { return pointer_; }

    struct Resources;
    // Only Create makes the resources.
    SdlPresenter(std::unique_ptr<Resources> resources, platform::Clock& clock, int scale,
                 std::uint32_t wakeEvent);

  private:
    void Redraw();

    std::unique_ptr<Resources> sdl_;
    platform::Clock& clock_;
    int scale_;
    std::uint32_t wakeEvent_;
    std::atomic<bool> wakePending_{false};
    bool penDown_ = false;
    std::optional<ui::Point> pointer_;
    // The frame the texture holds (empty before the first): an unchanged frame
    // (a timer repainting the same read-out) is not sent to the window again.
    std::vector<std::uint32_t> shown_;
};

}  // namespace host::window
