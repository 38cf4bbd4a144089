#include "host/window/sdl_presenter.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "input_translation.h"
#include "video_init.h"

namespace host::window {

// Named, not file-local: SdlPresenter::Resources holds these and has external
// linkage.
namespace presenter {

struct WindowDeleter {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
struct RendererDeleter {
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};
struct TextureDeleter {
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};

// Video (with events) stays initialised while a presenter lives; SDL counts
// the users of each subsystem.
struct VideoSubsystem {
    bool ok = detail::InitVideo(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    VideoSubsystem() = default;
    VideoSubsystem(const VideoSubsystem&) = delete;
    VideoSubsystem& operator=(const VideoSubsystem&) = delete;
    ~VideoSubsystem() {
        if (ok) {
            // Not SDL_Quit: that would also drop the program's SDL hints.
            SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        }
    }
};

ui::InputEvent WakeEvent() {
    return ui::InputEvent{};
}

}  // namespace presenter

using presenter::RendererDeleter;
using presenter::TextureDeleter;
using presenter::VideoSubsystem;
using presenter::WakeEvent;
using presenter::WindowDeleter;

struct SdlPresenter::Resources {
    // Declared in the order they are made; destroyed the other way round.
    VideoSubsystem video;
    std::unique_ptr<SDL_Window, WindowDeleter> window;
    std::unique_ptr<SDL_Renderer, RendererDeleter> renderer;
    std::unique_ptr<SDL_Texture, TextureDeleter> texture;
    int textureWidth = 0;
    int textureHeight = 0;
};

platform::Result<std::unique_ptr<SdlPresenter>> SdlPresenter::Create(const Options& options,
                                                                     platform::Clock& clock) {
    auto fail = [](std::string why) { return platform::Fail(std::move(why)); };
    if (options.scale < 1 || options.scale > 8) {
        return fail("the scale must be 1 to 8, not " + std::to_string(options.scale));
    }
    // A 320 x 240 picture scaled by whole factors needs no GPU: SDL's software
    // renderer on a plain X11 window surface does it without loading a GL
    // stack (which would take about 90 MB). Default priority: a program's
    // own hint or SDL's environment variables still choose otherwise.
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    auto res = std::make_unique<Resources>();
    if (!res->video.ok) {
        return fail(std::string("SDL video: ") + SDL_GetError());
    }
    const Uint32 wakeEvent = SDL_RegisterEvents(1);
    if (wakeEvent == static_cast<Uint32>(-1)) {
        return fail("SDL has no user event left");
    }
    const Uint32 flags = options.hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
    res->window.reset(SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                       SDL_WINDOWPOS_CENTERED, ui::kScreenWidth * options.scale,
                                       ui::kScreenHeight * options.scale, flags));
    if (!res->window) {
        return fail(std::string("SDL window: ") + SDL_GetError());
    }
    res->renderer.reset(SDL_CreateRenderer(res->window.get(), -1, 0));
    if (!res->renderer) {
        return fail(std::string("SDL renderer: ") + SDL_GetError());
    }
    // Scales the picture and maps mouse positions back to screen pixels.
    if (SDL_RenderSetLogicalSize(res->renderer.get(), ui::kScreenWidth, ui::kScreenHeight) != 0 ||
        SDL_RenderSetIntegerScale(res->renderer.get(), SDL_TRUE) != 0) {
        return fail(std::string("SDL logical size: ") + SDL_GetError());
    }
    SDL_StartTextInput();
    return std::make_unique<SdlPresenter>(std::move(res), clock, options.scale, wakeEvent);
}

SdlPresenter::SdlPresenter(std::unique_ptr<Resources> resources, platform::Clock& clock, int scale,
                           std::uint32_t wakeEvent)
    : sdl_(std::move(resources)), clock_(clock), scale_(scale), wakeEvent_(wakeEvent) {}

SdlPresenter::~SdlPresenter() {
    SDL_StopTextInput();
}

std::uint32_t SdlPresenter::WindowId() const {
    return SDL_GetWindowID(sdl_->window.get());
}

void SdlPresenter::Present(const ui::Framebuffer& screen) {
    if (screen.Width() <= 0 || screen.Height() <= 0) {
        return;
    }
    if (!sdl_->texture || sdl_->textureWidth != screen.Width() ||
        sdl_->textureHeight != screen.Height()) {
        // 0x00RRGGBB words are SDL's RGB888 (XRGB8888) pixels as they are.
        sdl_->texture.reset(SDL_CreateTexture(sdl_->renderer.get(), SDL_PIXELFORMAT_RGB888,
                                              SDL_TEXTUREACCESS_STREAMING, screen.Width(),
                                              screen.Height()));
        if (!sdl_->texture) {
            return;
        }
        SDL_SetTextureScaleMode(sdl_->texture.get(), SDL_ScaleModeNearest);
        SDL_RenderSetLogicalSize(sdl_->renderer.get(), screen.Width(), screen.Height());
        sdl_->textureWidth = screen.Width();
        sdl_->textureHeight = screen.Height();
        shown_.clear();  // the new texture holds nothing yet
    }
    const auto pixels =
        static_cast<std::size_t>(screen.Width()) * static_cast<std::size_t>(screen.Height());
    if (shown_.size() == pixels && std::equal(shown_.begin(), shown_.end(), screen.Data())) {
        return;
    }
    shown_.assign(screen.Data(), screen.Data() + pixels);
    SDL_UpdateTexture(sdl_->texture.get(), nullptr, screen.Data(),
                      screen.Width() * static_cast<int>(sizeof(std::uint32_t)));
    Redraw();
    SDL_RenderPresent(sdl_->renderer.get());
}

void SdlPresenter::Redraw() {
    SDL_SetRenderDrawColor(sdl_->renderer.get(), 0, 0, 0, 255);
    SDL_RenderClear(sdl_->renderer.get());
    if (!shown_.empty()) {
        SDL_RenderCopy(sdl_->renderer.get(), sdl_->texture.get(), nullptr, nullptr);
    }
}

ui::InputEvent SdlPresenter::WaitEvent(std::optional<std::uint64_t> deadlineMs) {
    for (;;) {
        SDL_Event event;
        int got = 0;
        if (!deadlineMs) {
            got = SDL_WaitEvent(&event);
        } else {
            const std::uint64_t now = clock_.NowMs();
            if (now >= *deadlineMs) {
                got = SDL_PollEvent(&event);
            } else {
                const auto timeout =
                    static_cast<int>(std::min<std::uint64_t>(*deadlineMs - now, INT_MAX));
                got = SDL_WaitEventTimeout(&event, timeout);
            }
        }
        if (got == 0) {
            // The deadline (or SDL failed): the loop looks at its timers.
            return WakeEvent();
        }
        if (event.type == wakeEvent_) {
            wakePending_.store(false);
            return WakeEvent();
        }
        if (event.type == SDL_WINDOWEVENT && (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                                              event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)) {
            Redraw();
            SDL_RenderPresent(sdl_->renderer.get());
            continue;
        }
        if (event.type == SDL_MOUSEMOTION) {
            pointer_ = ui::Point{event.motion.x, event.motion.y};
        } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_LEAVE) {
            pointer_.reset();
        }
        if (auto input = detail::Translate(event, penDown_)) {
            return *input;
        }
    }
}

void SdlPresenter::Wake() {
    // One pending wake-up is enough however often it is asked for.
    if (wakePending_.exchange(true)) {
        return;
    }
    SDL_Event event{};
    event.type = wakeEvent_;
    if (SDL_PushEvent(&event) != 1) {
        wakePending_.store(false);
    }
}

platform::Result<void> SdlPresenter::ReadBack(ui::Framebuffer* out) {
    if (shown_.empty()) {
        return platform::Fail("nothing presented yet");
    }
    Redraw();
    SDL_Rect viewport;
    SDL_RenderGetViewport(sdl_->renderer.get(), &viewport);
    float scaleX = 1.0F;
    float scaleY = 1.0F;
    SDL_RenderGetScale(sdl_->renderer.get(), &scaleX, &scaleY);
    const int width = static_cast<int>(static_cast<float>(viewport.w) * scaleX);
    const int height = static_cast<int>(static_cast<float>(viewport.h) * scaleY);
    if (width <= 0 || height <= 0) {
        return platform::Fail("empty viewport");
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                      static_cast<std::size_t>(height));
    if (SDL_RenderReadPixels(sdl_->renderer.get(), nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(),
                             width * static_cast<int>(sizeof(std::uint32_t))) != 0) {
        return platform::Fail(std::string("SDL_RenderReadPixels: ") + SDL_GetError());
    }
    ui::Framebuffer shot(sdl_->textureWidth, sdl_->textureHeight);
    for (int y = 0; y < shot.Height(); ++y) {
        // The centre of each screen pixel's square in the window.
        const int sy = std::min(height - 1, (2 * y + 1) * height / (2 * shot.Height()));
        for (int x = 0; x < shot.Width(); ++x) {
            const int sx = std::min(width - 1, (2 * x + 1) * width / (2 * shot.Width()));
            shot.SetPixel(x, y,
                          pixels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(width) +
                                 static_cast<std::size_t>(sx)] &
                              0x00FFFFFFU);
        }
    }
    *out = std::move(shot);
    return {};
}

}  // namespace host::window
