// kestrin in its SDL window (needs an X display: CI runs the suite under
// xvfb-run and fails without one; elsewhere the test skips): the console shows in the window and
// the window's close box ends the program.
#include <SDL.h>
#include <png.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/window/display.h"
#include "host/window/sdl_presenter.h"
#include "program_fixture.h"
#include "test_support/display_required.h"
#include "ui/desktop.h"
#include "ui/messages.h"
#include "ui/wnd.h"

namespace host::test {

std::atomic<bool> openedWindow{false};

namespace {

// A PNG's pixels as 0x00RRGGBB words.
std::vector<std::uint32_t> ReadPng(const std::filesystem::path& file, int* width, int* height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<std::uint32_t> pixels;
    if (png_image_begin_read_from_file(&image, file.string().c_str()) == 0) {
        return pixels;
    }
    image.format = PNG_FORMAT_BGRA;
    pixels.resize(PNG_IMAGE_SIZE(image) / 4);
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        return {};
    }
    for (auto& p : pixels) {
        p &= 0x00FFFFFFU;
    }
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return pixels;
}

class SdlProgramTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");      // pixels can be read back
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");  // plain X11, no GL
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");           // never the machine's sound
        if (const platform::Result<void> shown = window::DisplayAvailable(); !shown) {
            if (test_support::DisplayRequired()) {
                FAIL() << test_support::kNoDisplayInCi << shown.error();
            }
            GTEST_SKIP() << "no X display (run under xvfb-run): " << shown.error();
        }
    }
};

// A click on the window's close box, as SDL reports it.
void CloseWindow(window::SdlPresenter& window) {
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = window.WindowId();
    SDL_PushEvent(&close);
}

// What a run in the window showed: the active window's caption and the
// window's pixels at the first frame, and the screenshot written at the end.
struct WindowRun {
    int status = -1;
    std::string err;
    std::uint64_t frames = 0;
    std::string caption;
    ui::Framebuffer shown;
    std::string readBackError;
};

// Runs kestrin in a hidden SDL window, calling each after every frame.
using EachFrame = std::function<void(window::SdlPresenter& window, std::uint64_t frame)>;
int RunWindowed(const KestrinOptions& options, const EachFrame& each, std::ostream& out,
                std::ostream& err) {
    Seam seam({kDefaultUnit, {}}, static_cast<const UnitOptions&>(options));
    program::Hooks hooks;
    hooks.hiddenWindow = true;
    hooks.afterPresent = [&](std::uint64_t frame) { each(*seam.window(), frame); };
    return program::Run(options, seam, out, err, hooks);
}

// Runs kestrin in a hidden SDL window and closes the window after the first
// frame, as a user's click on its close box would.
WindowRun RunInWindow(const KestrinOptions& options) {
    WindowRun run;
    const EachFrame each = [&run](window::SdlPresenter& window, std::uint64_t frame) {
        openedWindow = true;
        run.frames = frame;
        if (const platform::Result<void> read = window.ReadBack(&run.shown); !read) {
            run.readBackError = read.error();
            return;
        }
        if (frame == 1) {
            ui::Desktop* desktop = ui::Desktop::Current();
            run.caption =
                desktop->Describe(desktop->ActiveWindow()).value_or(ui::WindowInfo{}).text;
            CloseWindow(window);
        }
    };
    std::ostringstream out;
    std::ostringstream err;
    run.status = RunWindowed(options, each, out, err);
    run.err = err.str();
    return run;
}

// The number of pixels where the window and the PNG written at the end differ.
int PixelsDifferent(const ui::Framebuffer& shown, const std::filesystem::path& png) {
    int width = 0;
    int height = 0;
    const std::vector<std::uint32_t> last = ReadPng(png, &width, &height);
    if (width != shown.Width() || height != shown.Height()) {
        return -1;
    }
    int different = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int at = y * width + x;
            different += last[static_cast<std::size_t>(at)] != shown.GetPixel(x, y);
        }
    }
    return different;
}

TEST_F(SdlProgramTest, TheConsoleShowsInTheWindowAndItsCloseBoxEndsTheProgram) {
    KestrinOptions options;
    options.screenshot = Work() / "last.png";
    const WindowRun run = RunInWindow(options);
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_GE(run.frames, 1U);
    EXPECT_EQ(run.caption, "Kestrin");
    ASSERT_EQ(run.readBackError, "");
    // The window showed exactly the last frame the console drew.
    EXPECT_EQ(PixelsDifferent(run.shown, *options.screenshot), 0);
}

TEST_F(SdlProgramTest, TheDemoDialogShowsInTheWindow) {
    KestrinOptions options;
    options.demo = true;
    options.screenshot = Work() / "demo.png";
    const WindowRun run = RunInWindow(options);
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_GE(run.frames, 1U);
    EXPECT_EQ(run.caption, "Controls");
    ASSERT_EQ(run.readBackError, "");
    EXPECT_EQ(PixelsDifferent(run.shown, *options.screenshot), 0);
}

// A recording of the window replays headless to the same screen: the
// window is driven by events pushed into SDL's queue as a user's would come.
TEST_F(SdlProgramTest, ARecordingReplaysHeadlessToTheSameScreen) {
    KestrinOptions options;
    options.record = Work() / "rec.ks";
    options.screenshot = Work() / "window.png";
    WindowRun run;
    bool pushed = false;
    const EachFrame each = [&run, &pushed](window::SdlPresenter& window, std::uint64_t frame) {
        openedWindow = true;
        run.frames = frame;
        // Once the first battery read-out is in (the console's 500 ms timer).
        ui::Desktop* desktop = ui::Desktop::Current();
        if (pushed || desktop->Describe(desktop->FindControl(1051))->text.empty()) {
            return;
        }
        pushed = true;
        ui::Rect diag;
        for (const ui::HWND child : desktop->Children(desktop->ActiveWindow())) {
            if (desktop->Describe(child)->className == "Tab") {
                ui::CWnd* tab = desktop->WndOf(child);
                tab->SendMessage(ui::TCM_GETITEMRECT, 2, reinterpret_cast<ui::LPARAM>(&diag));
                tab->ClientToScreen(&diag);
            }
        }
        const ui::Rect battery = desktop->Describe(desktop->FindControl(1051))->screenRect;
        const int scale = window.Scale();
        auto mouse = [&](Uint32 type, const ui::Rect& r) {
            SDL_Event e{};
            e.type = type;
            const int x = (r.left + r.right) / 2 * scale;
            const int y = (r.top + r.bottom) / 2 * scale;
            if (type == SDL_MOUSEMOTION) {
                e.motion = {type, 0, window.WindowId(), 0, 0, x, y, 0, 0};
            } else {
                e.button = {
                    type,
                    0,
                    window.WindowId(),
                    0,
                    SDL_BUTTON_LEFT,
                    static_cast<Uint8>(type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED),
                    1,
                    0,
                    x,
                    y};
            }
            SDL_PushEvent(&e);
        };
        auto key = [&](Uint32 type, SDL_Keycode sym) {
            SDL_Event e{};
            e.type = type;
            e.key.windowID = window.WindowId();
            e.key.keysym.sym = sym;
            SDL_PushEvent(&e);
        };
        mouse(SDL_MOUSEBUTTONDOWN, diag);
        mouse(SDL_MOUSEBUTTONUP, diag);
        mouse(SDL_MOUSEMOTION, battery);
        key(SDL_KEYDOWN, SDLK_F5);
        key(SDL_KEYUP, SDLK_F5);
        key(SDL_KEYDOWN, SDLK_F1);
        key(SDL_KEYUP, SDLK_F1);
        key(SDL_KEYDOWN, SDLK_F6);
        key(SDL_KEYUP, SDLK_F6);
        CloseWindow(window);
    };
    std::ostringstream out;
    std::ostringstream err;
    run.status = RunWindowed(options, each, out, err);
    ASSERT_EQ(run.status, 0) << err.str();
    const std::string recorded = ReadFile(*options.record);
    for (const char* line : {"\ntab 2\n", "\nexpect text 1051 \"3912\"\n", "\nkey POWER down\n",
                             "\nkey POWER up\n", "\nexpect screen \"rec-1.png\"\n"}) {
        EXPECT_NE(recorded.find(line), std::string::npos) << line << " in:\n" << recorded;
    }

    // The replay checks the recorded screen itself, and ends where the window did.
    KestrinOptions replay;
    replay.scripts = {*options.record};
    replay.screenshot = Work() / "replay.png";
    std::ostringstream replayOut;
    std::ostringstream replayErr;
    EXPECT_EQ(RunKestrin(replay, {kDefaultUnit, {}}, replayOut, replayErr), 0) << replayErr.str();
    ui::Framebuffer replayed;
    ASSERT_TRUE(ui::ReadPng(replay.screenshot->string(), &replayed));
    EXPECT_EQ(PixelsDifferent(replayed, *options.screenshot), 0);
}

// The screen after each line of a script's trace: the pictures of
// --report DIR --trace, from DIR/results.kestrin (fields: key, length, value).
std::map<int, std::filesystem::path> TraceScreens(const std::filesystem::path& report) {
    const std::string text = ReadFile(report / "results.kestrin");
    std::map<int, std::filesystem::path> screens;
    std::size_t at = text.find('\n') + 1;
    int line = 0;
    while (at < text.size()) {
        const std::size_t space = text.find(' ', at);
        const std::size_t end = text.find('\n', space);
        const std::string key = text.substr(at, space - at);
        const std::size_t length = std::stoul(text.substr(space + 1, end - space - 1));
        const std::string value = text.substr(end + 1, length);
        if (key == "step") {
            line = std::stoi(value);
        } else if (key == "screen" && line > 0) {
            screens[line] = report / value;
        }
        at = end + 1 + length + 1;
    }
    return screens;
}

// --open-at runs the lines before on the virtual clock and opens the window
// on that state: the window's first picture is the trace's screen after the
// line before, pixel for pixel; with --record the recording goes on from the
// script's lines, and replays.
TEST_F(SdlProgramTest, OpenAtOpensTheWindowOnTheScreenTheTraceShowsThere) {
    const std::filesystem::path script =
        WriteFile("open.ks",
                  "# the Diag page, a minute on\ntab 2\nwait 700\n\nexpect text 1051 \"3912\"\n"
                  "wait 60000\nexpect text 1051 \"0\" within 500\ntab 3\n");
    KestrinOptions traced;
    traced.scripts = {script};
    traced.suite.report = Work() / "report";
    traced.suite.trace = true;
    std::ostringstream tracedOut;
    std::ostringstream tracedErr;
    ASSERT_EQ(RunKestrin(traced, {kDefaultUnit, {}}, tracedOut, tracedErr), 1) << tracedErr.str();
    const std::map<int, std::filesystem::path> screens = TraceScreens(*traced.suite.report);

    // --open-at | the line it opens before | the line before it | the unit's clock then
    struct Case {
        const char* at;
        int opens;
        int before;
        const char* says;
    };
    const Case cases[] = {
        {"4", 5, 3, "The window opens on open.ks before line 5 (700 ms on the unit's clock)\n"},
        {"fail", 7, 6,
         "open.ks:7: expect text 1051 \"0\" within 500: expected \"0\", found \"3912\" (for 500 "
         "ms)\n"
         "The window opens on open.ks before line 7 (60700 ms on the unit's clock)\n"},
    };
    for (const Case& c : cases) {
        KestrinOptions options;
        options.scripts = {script};
        options.openAt = *program::ParseOpenAt(c.at);
        options.screenshot = Work() / (std::string("at-") + c.at + ".png");
        options.record = Work() / (std::string("rec-") + c.at + ".ks");
        WindowRun run;
        ui::Framebuffer first;
        const EachFrame each = [&](window::SdlPresenter& window, std::uint64_t frame) {
            openedWindow = true;
            run.frames = frame;
            if (frame == 1) {
                if (const platform::Result<void> read = window.ReadBack(&first); !read) {
                    run.readBackError = read.error();
                }
                CloseWindow(window);
            }
        };
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunWindowed(options, each, out, err), 0) << c.at << ": " << err.str();
        std::string says = c.says;
        for (std::size_t at = says.find("open.ks"); at != std::string::npos;
             at = says.find("open.ks", at + script.string().size())) {
            says.replace(at, 7, script.string());
        }
        EXPECT_NE(out.str().find(says), std::string::npos) << c.at << ": " << out.str();
        ASSERT_GE(run.frames, 1U) << c.at;
        ASSERT_EQ(run.readBackError, "");
        ASSERT_EQ(screens.count(c.before), 1U) << c.at;
        EXPECT_EQ(PixelsDifferent(first, screens.at(c.before)), 0) << c.at;
        ui::Framebuffer shot;
        ASSERT_TRUE(ui::ReadPng(options.screenshot->string(), &shot));
        EXPECT_EQ(PixelsDifferent(shot, screens.at(c.before)), 0) << c.at;

        // The recording: the script's lines before, as written, and it replays.
        const std::string recorded = ReadFile(*options.record);
        const std::string lines = ReadFile(script);
        std::size_t cut = 0;
        for (int i = 1; i < c.opens; ++i) {
            cut = lines.find('\n', cut) + 1;
        }
        EXPECT_NE(recorded.find("\n" + lines.substr(0, cut)), std::string::npos) << recorded;
        EXPECT_EQ(recorded.find(lines.substr(cut)), std::string::npos) << recorded;
        KestrinOptions replay;
        replay.scripts = {*options.record};
        std::ostringstream replayOut;
        std::ostringstream replayErr;
        EXPECT_EQ(RunKestrin(replay, {kDefaultUnit, {}}, replayOut, replayErr), 0)
            << c.at << ": " << replayErr.str();
    }

    // A script that passes has no failure to open at.
    const std::filesystem::path passing = WriteFile("passes.ks", "tab 2\n");
    KestrinOptions options;
    options.scripts = {passing};
    options.openAt = *program::ParseOpenAt("fail");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunWindowed(
                  options, [](window::SdlPresenter&, std::uint64_t) { FAIL(); }, out, err),
              0)
        << err.str();
    EXPECT_EQ(out.str(), passing.string() + " passes: no failure to open the window at\n");
}

}  // namespace
}  // namespace host::test

// The libraries under SDL leave blocks behind at exit once a window has shown
// a picture (libdbus keeps a buffer past SDL_Quit; the X libraries SDL loads
// and unloads again). A process that opened a window skips the leak check at
// exit; ctest runs each test in a process of its own.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
extern "C" int __lsan_is_turned_off() {
    return host::test::openedWindow.load() ? 1 : 0;
}
