#include "script/script_runner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <utility>

#include "file_kind.h"
#include "screen_compare.h"
#include "script/pattern.h"
#include "script/utf8_path.h"
#include "text_escapes.h"
#include "ui/desktop.h"
#include "ui/graphics.h"
#include "ui/messages.h"
#include "ui/styles.h"
#include "ui/wnd.h"

namespace script {

namespace {

using detail::Quote;
using ui::InputEvent;

// How long one look at the unit blocks before the framework gets another
// turn (it may have a sent message to serve for a blocked worker).
constexpr std::chrono::milliseconds kSettleSlice{2};
// Cancelling windows at the end gives up after this many tries (a window
// that opens another on every cancel).
constexpr int kMostCancels = 64;
// A `wait` whose clock does not move in this many rounds is stuck.
constexpr int kMostStuckRounds = 100000;
// How far the clock moves between two tries of an expectation with `within`.
constexpr std::uint64_t kRetryStepMs = 20;
// At the end, a window's worker waiting on the unit's clock gets this much of it.
constexpr std::uint64_t kLongestEndWaitMs = 60'000;

InputEvent Event(InputEvent::Kind kind) {
    InputEvent e;
    e.kind = kind;
    return e;
}

InputEvent KeyEvent(InputEvent::Kind kind, ui::Key key) {
    InputEvent e = Event(kind);
    e.key = key;
    return e;
}

std::string Millis(std::chrono::milliseconds ms) {
    if (ms.count() % 1000 == 0) {
        return std::to_string(ms.count() / 1000) + " s";
    }
    return std::to_string(ms.count()) + " ms";
}

std::string Mismatch(const std::string& expected, const std::string& found) {
    return "expected " + expected + ", found " + found;
}

std::string Hex6(std::uint32_t rgb) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(6, '0');
    for (int i = 5; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[rgb & 0xF];
        rgb >>= 4;
    }
    return text;
}

ui::Point Centre(const ui::Rect& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool OnScreen(ui::Point p) {
    return p.x >= 0 && p.y >= 0 && p.x < ui::kScreenWidth && p.y < ui::kScreenHeight;
}

}  // namespace

ScriptRunner::ScriptRunner(Script script, Target& target, std::ostream& log, RunnerOptions options)
    : script_(std::move(script)), target_(target), log_(log), options_(std::move(options)) {}

void ScriptRunner::Present(const ui::Framebuffer& /*screen*/) {
    ++frames_;
}

void ScriptRunner::Wake() {
    {
        std::lock_guard lock(wakeMutex_);
        woken_ = true;
    }
    wakeCv_.notify_all();
}

bool ScriptRunner::TakeWoken() {
    std::lock_guard lock(wakeMutex_);
    return std::exchange(woken_, false);
}

bool ScriptRunner::WaitWoken(std::chrono::milliseconds limit) {
    std::unique_lock lock(wakeMutex_);
    const bool woken = wakeCv_.wait_for(lock, limit, [&] { return woken_; });
    woken_ = false;
    return woken;
}

bool ScriptRunner::Settle(ui::Desktop& desktop, bool* settled) {
    *settled = false;
    // On the wall clock a window that waits for its worker has not settled
    // either: its close goes on in real time.
    const bool threadWait = !target_.VirtualTime() && desktop.WaitingForThread();
    if (target_.Quiescent() && !threadWait) {
        busySince_.reset();
        *settled = true;
        return true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!busySince_) {
        busySince_ = now;
    }
    if (!target_.VirtualTime() && now - *busySince_ >= options_.realTimeSettle) {
        // On the wall clock the world does not stop: a thread busy with a
        // host device is no reason to hold the script.
        busySince_.reset();
        *settled = true;
        return true;
    }
    if (now - *busySince_ > options_.settleLimit) {
        const Command* at = waiting_ != nullptr               ? waiting_
                            : next_ < script_.commands.size() ? &script_.commands[next_]
                                                              : nullptr;
        const std::string what = "the system did not settle within " +
                                 Millis(options_.settleLimit) + " (" + target_.Activity() + ")";
        if (at != nullptr) {
            Fail(*at, what);
        } else {
            FailAtEnd("at the end: " + what);
        }
        return false;
    }
    if (threadWait) {
        std::unique_lock lock(wakeMutex_);
        wakeCv_.wait_for(lock, kSettleSlice, [&] { return woken_; });
    } else {
        target_.WaitQuiescent(kSettleSlice);
    }
    return true;
}

InputEvent ScriptRunner::WaitEvent(std::optional<std::uint64_t> deadlineMs) {
    ui::Desktop* desktop = ui::Desktop::Current();
    for (;;) {
        if (TakeWoken()) {
            return {};  // the framework has something of its own first
        }
        if (failed_ || desktop == nullptr || PastDeadline()) {
            return Event(InputEvent::Kind::Quit);
        }
        bool settled = false;
        if (!Settle(*desktop, &settled)) {
            return Event(InputEvent::Kind::Quit);
        }
        if (!settled) {
            continue;
        }
        if (target_.VirtualTime() && TakeWoken()) {
            // A worker posted or ended as the unit settled (it wakes the
            // framework before it blocks or returns): the framework's turn
            // first, however the machine timed the two.
            return {};
        }
        if (std::exchange(advanced_, false)) {
            // The unit's threads due at this moment have run; now the
            // windows' timers.
            return {};
        }
        if (!pending_.empty()) {
            InputEvent e = std::move(pending_.front());
            pending_.pop_front();
            return e;
        }
        if (waitEnd_.has_value()) {
            const std::uint64_t now = target_.NowMs();
            if (now >= *waitEnd_) {
                waitEnd_.reset();
                waiting_ = nullptr;
                if (retry_ && Expect(*retry_->command, *desktop) == Step::Quit) {
                    return Event(InputEvent::Kind::Quit);
                }
                continue;
            }
            if (!target_.VirtualTime()) {
                SleepReal(deadlineMs);
                return {};  // the framework's turn: a timer may be due
            }
            std::uint64_t next = *waitEnd_;
            if (deadlineMs.has_value()) {
                next = std::min(next, *deadlineMs);
            }
            if (const auto unitDeadline = target_.NextDeadline()) {
                next = std::min(next, std::max(*unitDeadline, now));
            }
            stuckRounds_ = next > now ? 0 : stuckRounds_ + 1;
            if (stuckRounds_ > kMostStuckRounds) {
                Fail(*waiting_, "the clock does not move: a thread of the unit is due at " +
                                    std::to_string(next) + " ms again and again");
                return Event(InputEvent::Kind::Quit);
            }
            target_.AdvanceTo(next);
            advanced_ = true;
            continue;
        }
        // The command before has ended: settled, nothing of it pending.
        ReportEnded(desktop);
        if (next_ < script_.commands.size()) {
            const Command& c = script_.commands[next_++];
            lastCancelled_ = nullptr;
            current_ = &c;
            currentSince_ = std::chrono::steady_clock::now();
            if (options_.observer != nullptr) {
                options_.observer->CommandStarted(c);
            }
            const Step step = IsExpectation(c.op) ? Expect(c, *desktop) : Execute(c, *desktop);
            if (step == Step::Quit) {
                return Event(InputEvent::Kind::Quit);
            }
            if (!pending_.empty()) {
                InputEvent e = std::move(pending_.front());
                pending_.pop_front();
                return e;
            }
            return {};  // the framework takes its turn before the next command
        }
        return EndOfScript(*desktop);
    }
}

InputEvent ScriptRunner::EndOfScript(ui::Desktop& desktop) {
    if (!options_.finalScreenshot.empty() && !finalShotWritten_) {
        finalShotWritten_ = true;
        std::string error;
        if (!WriteScreen(desktop, options_.finalScreenshot, &error)) {
            FailAtEnd("the screenshot at the end: " + error);
            return Event(InputEvent::Kind::Quit);
        }
    }
    const ui::HWND top = desktop.ActiveWindow();
    if (top == nullptr || desktop.WaitingForThread()) {
        // Nothing to cancel, or a window waits for its worker: only that
        // thread can move things on.
        if (target_.VirtualTime()) {
            return WaitAtTheEnd(desktop);
        }
        const auto now = std::chrono::steady_clock::now();
        if (!threadWaitSince_) {
            threadWaitSince_ = now;
        }
        if (now - *threadWaitSince_ <= options_.settleLimit && WaitWoken(options_.settleLimit)) {
            return {};
        }
        FailAtEnd("at the end: a window still waits for a thread after " +
                  Millis(options_.settleLimit));
        target_.Stop();
        return Event(InputEvent::Kind::Quit);
    }
    threadWaitSince_.reset();
    if (top == lastCancelled_ || ++cancels_ > kMostCancels) {
        // It would not go: end the run as switching the unit off does.
        return Event(InputEvent::Kind::Quit);
    }
    lastCancelled_ = top;
    return KeyEvent(InputEvent::Kind::KeyDown, ui::Key::Escape);
}

InputEvent ScriptRunner::WaitAtTheEnd(const ui::Desktop& desktop) {
    // The unit has settled and the framework has nothing to do: a thread
    // blocked on the unit's clock gets its time, up to a limit on that
    // clock; one blocked for good never ends.
    const std::uint64_t now = target_.NowMs();
    if (!endWaitFrom_) {
        endWaitFrom_ = now;
    }
    const auto deadline = target_.NextDeadline();
    if (deadline && *deadline <= *endWaitFrom_ + kLongestEndWaitMs) {
        target_.AdvanceTo(std::max(*deadline, now));
        return {};
    }
    const std::string what = desktop.WaitingForThread()
                                 ? "a window still waits for its thread"
                                 : "no window is left and the program does not end";
    FailAtEnd("at the end: " + what +
              (deadline ? " after " + Millis(std::chrono::milliseconds(kLongestEndWaitMs)) +
                              " of the unit's clock"
                        : ", and nothing the unit's clock brings can change that (" +
                              target_.Activity() + ")"));
    target_.Stop();  // its waits end: the run can end
    return Event(InputEvent::Kind::Quit);
}

int ScriptRunner::Finish() {
    if (!failed_) {
        if (retry_) {
            Fail(*retry_->command, "the program ended before this held");
        } else if (waiting_ != nullptr) {
            Fail(*waiting_, "the program ended during this wait");
        } else if (next_ < script_.commands.size()) {
            Fail(script_.commands[next_], "the program ended before this line ran");
        }
    }
    return failed_ ? kExitFailed : kExitPassed;
}

bool ScriptRunner::PastDeadline() {
    if (!options_.deadline || std::chrono::steady_clock::now() < *options_.deadline) {
        return false;
    }
    const std::string what = "past the script's time limit of " + Millis(options_.timeLimit);
    const Command* at = current_ != nullptr               ? current_
                        : next_ < script_.commands.size() ? &script_.commands[next_]
                                                          : nullptr;
    if (at != nullptr) {
        Fail(*at, what);
    } else {
        FailAtEnd("at the end: " + what);
    }
    return true;
}

ScriptRunner::Step ScriptRunner::Fail(const Command& c, const std::string& message) {
    ui::Desktop* desktop = ui::Desktop::Current();
    const bool first = !failed_;
    failed_ = true;
    std::string why = message;
    std::string problems;
    if (first) {
        if (c.op == Op::ExpectScreen && desktop != nullptr && !options_.updateScreens &&
            (!options_.artifactsFolder.empty() || options_.observer != nullptr)) {
            TakePictures(c, *desktop);
        }
        why += KeepEvidence(&c, desktop, &problems);
    }
    const std::string line =
        script_.name + ':' + std::to_string(c.line) + ": " + c.source + ": " + why;
    log_ << line << '\n' << problems;
    log_.flush();
    if (first) {
        failure_ = line;
        if (current_ != &c) {
            // The command before ended; this one fails before it started.
            ReportEnded(desktop);
            current_ = &c;
            currentSince_ = std::chrono::steady_clock::now();
        }
        ReportEnded(desktop, why);
    }
    return Step::Quit;
}

void ScriptRunner::FailAtEnd(const std::string& message) {
    ui::Desktop* desktop = ui::Desktop::Current();
    const bool first = !failed_;
    failed_ = true;
    std::string problems;
    if (first) {
        KeepEvidence(nullptr, desktop, &problems);
    }
    const std::string line = script_.name + ": " + message;
    log_ << line << '\n' << problems;
    log_.flush();
    if (first) {
        failure_ = line;
        ReportEnded(desktop);
    }
}

void ScriptRunner::TakePictures(const Command& c, ui::Desktop& desktop) {
    ScreenPictures pictures{detail::Crop(desktop.Screen(), c.area), std::nullopt, std::nullopt};
    ui::Framebuffer reference;
    if (!ReadReference(c, &reference)) {
        pictures.difference = detail::Compare(desktop.Screen(), c.area, reference).picture;
        pictures.reference = std::move(reference);
    }
    pictures_ = std::move(pictures);
}

std::string ScriptRunner::KeepEvidence(const Command* c, ui::Desktop* desktop,
                                       std::string* problems) {
    if (options_.artifactsFolder.empty()) {
        return {};
    }
    const std::filesystem::path& folder = options_.artifactsFolder;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec)) {
        *problems += script_.name + ": cannot keep the evidence in " + Utf8FromPath(folder) + ": " +
                     (ec ? ec.message() : std::string("not a folder")) + '\n';
        return {};
    }
    auto write = [&](const ui::Framebuffer& picture, const std::string& name) {
        std::string error;
        if (!ui::WritePng(picture, Utf8FromPath(folder / PathFromUtf8(name)), &error)) {
            *problems += script_.name + ": " + error + '\n';
            return false;
        }
        return true;
    };
    std::string kept;
    if (desktop != nullptr) {
        write(desktop->Screen(), "screen.png");
        if (c != nullptr && c->op == Op::ExpectScreen && pictures_) {
            // What was there instead of the reference, and where it differs.
            const std::string stem = Utf8FromPath(PathFromUtf8(c->text).stem());
            const bool actual = write(pictures_->actual, stem + ".actual.png");
            const bool difference =
                pictures_->difference && write(*pictures_->difference, stem + ".diff.png");
            if (actual || difference) {
                kept = std::string("; the ") +
                       (actual && difference ? "actual and difference pictures are"
                        : actual             ? "actual picture is"
                                             : "difference picture is") +
                       " in " + Utf8FromPath(folder);
            }
        }
    }
    std::ofstream debug(folder / "debug.txt", std::ios::binary | std::ios::trunc);
    for (const std::string& line : target_.DebugLines()) {
        debug << line;
    }
    debug.close();
    if (!debug) {
        *problems += script_.name + ": " + Utf8FromPath(folder / "debug.txt") + ": cannot write\n";
    }
    return kept;
}

void ScriptRunner::ReportEnded(ui::Desktop* desktop, const std::string& failure) {
    const Command* c = std::exchange(current_, nullptr);
    if (c == nullptr || options_.observer == nullptr) {
        return;
    }
    CommandRecord record;
    record.command = c;
    record.failure = failure;
    record.unitMs = target_.NowMs();
    record.wall = std::chrono::steady_clock::now() - currentSince_;
    if (desktop != nullptr) {
        record.screen = &desktop->Screen();
        const auto box = desktop->TopMessageBox();
        if (box && box->hwnd != boxReported_) {
            record.messageBoxes.push_back(*box);
        }
        boxReported_ = box ? box->hwnd : nullptr;
    }
    std::vector<std::string> lines = target_.DebugLines();
    if (debugReported_ > lines.size()) {
        debugReported_ = 0;  // the unit's record was cleared
    }
    record.debugLines.assign(
        std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(debugReported_)),
        std::make_move_iterator(lines.end()));
    debugReported_ = lines.size();
    if (!failure.empty() && c->op == Op::ExpectScreen && pictures_) {
        record.pictures = &*pictures_;
    }
    options_.observer->CommandEnded(record);
}

std::optional<ui::HWND> ScriptRunner::Control(const Command& c, ui::Desktop& desktop,
                                              std::string* why) {
    const ui::HWND hwnd = desktop.FindControl(c.id);
    if (hwnd == nullptr) {
        *why = "no control " + std::to_string(c.id) + " in the window on top or its owners";
        return std::nullopt;
    }
    return hwnd;
}

void ScriptRunner::Press(InputEvent::Kind kind, int x, int y) {
    InputEvent e = Event(kind);
    e.x = x;
    e.y = y;
    pending_.push_back(std::move(e));
}

std::filesystem::path ScriptRunner::ScreenshotPath(const std::string& file) const {
    std::filesystem::path path = PathFromUtf8(file);
    const std::filesystem::path& folder =
        options_.screenshotFolder.empty() ? script_.folder : options_.screenshotFolder;
    if (path.is_absolute() || folder.empty()) {
        return path;
    }
    return folder / path;
}

bool ScriptRunner::WriteScreen(ui::Desktop& desktop, const std::filesystem::path& file,
                               std::string* error) {
    return WritePicture(desktop.Screen(), file, error);
}

bool ScriptRunner::WritePicture(const ui::Framebuffer& picture, const std::filesystem::path& file,
                                std::string* error) {
    if (const std::string kind = detail::NotAFile(file); !kind.empty()) {
        *error = Utf8FromPath(file) + " is " + kind + ", not a file to write a picture into";
        return false;
    }
    return ui::WritePng(picture, Utf8FromPath(file), error);
}

ScriptRunner::Step ScriptRunner::Execute(const Command& c, ui::Desktop& desktop) {
    switch (c.op) {
        case Op::Tap:
            Press(InputEvent::Kind::PenDown, c.x, c.y);
            Press(InputEvent::Kind::PenUp, c.x, c.y);
            return Step::Next;
        case Op::Down:
            Press(InputEvent::Kind::PenDown, c.x, c.y);
            return Step::Next;
        case Op::Move:
            Press(InputEvent::Kind::PenMove, c.x, c.y);
            return Step::Next;
        case Op::Up:
            Press(InputEvent::Kind::PenUp, c.x, c.y);
            return Step::Next;
        case Op::Click: {
            std::string why;
            const auto hwnd = Control(c, desktop, &why);
            if (!hwnd) {
                return Fail(c, why);
            }
            const auto info = desktop.Describe(*hwnd);
            if (!info || !info->visible) {
                return Fail(c, "control " + std::to_string(c.id) + " is not visible");
            }
            const ui::Point p = Centre(info->screenRect);
            if (!OnScreen(p)) {
                return Fail(c,
                            "the centre of control " + std::to_string(c.id) + " is off the screen");
            }
            Press(InputEvent::Kind::PenDown, p.x, p.y);
            Press(InputEvent::Kind::PenUp, p.x, p.y);
            return Step::Next;
        }
        case Op::Tab: {
            ui::HWND tab = nullptr;
            for (ui::HWND w = desktop.ActiveWindow(); w != nullptr && tab == nullptr;) {
                for (const ui::HWND child : desktop.Children(w)) {
                    if (const auto info = desktop.Describe(child);
                        info && info->className == "Tab") {
                        tab = child;
                        break;
                    }
                }
                ui::CWnd* wnd = desktop.WndOf(w);
                ui::CWnd* owner = wnd != nullptr ? wnd->GetParent() : nullptr;
                w = owner != nullptr ? owner->m_hWnd : nullptr;
            }
            ui::CWnd* wnd = tab != nullptr ? desktop.WndOf(tab) : nullptr;
            if (wnd == nullptr) {
                return Fail(c, "no tab control in the window on top or its owners");
            }
            const auto count = wnd->SendMessage(ui::TCM_GETITEMCOUNT);
            ui::Rect header;
            if (c.number >= count ||
                wnd->SendMessage(ui::TCM_GETITEMRECT, static_cast<ui::WPARAM>(c.number),
                                 reinterpret_cast<ui::LPARAM>(&header)) == 0) {
                return Fail(c, "the tab control has " + std::to_string(count) + " tabs");
            }
            wnd->ClientToScreen(&header);
            const auto info = desktop.Describe(tab);
            const ui::Point p = Centre(header);
            if (!info || !info->visible || !info->screenRect.Contains(p) || !OnScreen(p)) {
                return Fail(c, "tab " + std::to_string(c.number) + " cannot be tapped");
            }
            Press(InputEvent::Kind::PenDown, p.x, p.y);
            Press(InputEvent::Kind::PenUp, p.x, p.y);
            return Step::Next;
        }
        case Op::Type: {
            std::string why;
            const auto hwnd = Control(c, desktop, &why);
            if (!hwnd) {
                return Fail(c, why);
            }
            const auto info = desktop.Describe(*hwnd);
            if (!info || !info->visible || !info->enabled) {
                return Fail(c, "control " + std::to_string(c.id) + " is hidden or disabled");
            }
            desktop.WndOf(*hwnd)->SetFocus();
            if (!c.text.empty()) {
                InputEvent e = Event(InputEvent::Kind::Text);
                e.text = c.text;
                pending_.push_back(std::move(e));
            }
            return Step::Next;
        }
        case Op::Key: {
            const KeyStroke& k = c.key;
            if (!k.unitKey.empty()) {
                const bool down = k.action == KeyStroke::Action::Down;
                if (const auto error = target_.Set(k.unitKey, down ? "1" : "0")) {
                    return Fail(c, *error);
                }
                return Step::Next;
            }
            if (k.action != KeyStroke::Action::Up) {
                pending_.push_back(KeyEvent(InputEvent::Kind::KeyDown, k.key));
            }
            if (k.action != KeyStroke::Action::Down) {
                pending_.push_back(KeyEvent(InputEvent::Kind::KeyUp, k.key));
            }
            return Step::Next;
        }
        case Op::Close: {
            const ui::HWND top = desktop.ActiveWindow();
            if (top == nullptr) {
                return Fail(c, "no window is open");
            }
            if (const auto box = desktop.CloseBoxRect(top)) {
                const ui::Point p = Centre(*box);
                Press(InputEvent::Kind::PenDown, p.x, p.y);
                Press(InputEvent::Kind::PenUp, p.x, p.y);
            } else {
                desktop.WndOf(top)->PostMessage(ui::WM_CLOSE);
            }
            return Step::Next;
        }
        case Op::Answer: {
            const auto box = desktop.TopMessageBox();
            if (!box) {
                return Fail(c, "there is no message box to answer");
            }
            if (!desktop.AnswerMessageBox(c.number)) {
                return Fail(c, "the message box " + Quote(box->text) + " has no Cancel button");
            }
            return Step::Next;
        }
        case Op::Wait:
            StartWait(c, c.ms);
            return Step::Next;
        case Op::Screenshot: {
            std::string error;
            if (!WriteScreen(desktop, ScreenshotPath(c.text), &error)) {
                return Fail(c, error);
            }
            return Step::Next;
        }
        case Op::Unit:
            if (const auto error = target_.Set(c.text, c.value)) {
                return Fail(c, *error);
            }
            return Step::Next;
        case Op::Quit:
            if (desktop.ActiveWindow() == nullptr) {
                return Fail(c, "no window is open");
            }
            pending_.push_back(KeyEvent(InputEvent::Kind::KeyDown, ui::Key::Escape));
            return Step::Next;
        default:
            return Fail(c, "not a command");
    }
}

void ScriptRunner::StartWait(const Command& c, std::uint64_t ms) {
    waitEnd_ = target_.NowMs() + ms;
    waiting_ = &c;
}

void ScriptRunner::SleepReal(std::optional<std::uint64_t> deadlineMs) {
    std::uint64_t until = *waitEnd_;
    if (deadlineMs) {
        until = std::min(until, *deadlineMs);
    }
    const std::uint64_t now = target_.NowMs();
    if (until > now) {
        WaitWoken(std::chrono::milliseconds(until - now));
    }
}

ScriptRunner::Step ScriptRunner::Expect(const Command& c, ui::Desktop& desktop) {
    std::optional<std::string> failure = Check(c, desktop);
    if (!failure) {
        retry_.reset();
        return Step::Next;
    }
    const std::uint64_t now = target_.NowMs();
    if (c.withinMs && !options_.updateScreens) {
        if (!retry_ || retry_->command != &c) {
            retry_ = Retry{&c, now + *c.withinMs};
        }
        if (now < retry_->untilMs) {
            StartWait(c, std::min(kRetryStepMs, retry_->untilMs - now));
            return Step::Next;
        }
        retry_.reset();
        *failure += " (for " + std::to_string(*c.withinMs) + " ms)";
    }
    return Fail(c, *failure);
}

std::optional<std::string> ScriptRunner::Check(const Command& c, ui::Desktop& desktop) {
    switch (c.op) {
        case Op::ExpectText:
        case Op::ExpectMatch:
        case Op::ExpectCheck:
        case Op::ExpectEnabled:
        case Op::ExpectVisible:
            return CheckControl(c, desktop);
        case Op::ExpectCaption: {
            const auto info = desktop.Describe(desktop.ActiveWindow());
            if (!info) {
                return Mismatch(Quote(c.text), "no window");
            }
            if (info->text != c.text) {
                return Mismatch(Quote(c.text), Quote(info->text));
            }
            return std::nullopt;
        }
        case Op::ExpectMsgBox: {
            const auto box = desktop.TopMessageBox();
            if (!box) {
                return Mismatch("a message box " + Quote(c.text), "none");
            }
            if (box->text != c.text) {
                return Mismatch(Quote(c.text), Quote(box->text));
            }
            return std::nullopt;
        }
        case Op::ExpectNoMsgBox:
            if (const auto box = desktop.TopMessageBox()) {
                return Mismatch("no message box", "the message box " + Quote(box->text));
            }
            return std::nullopt;
        case Op::ExpectDebug:
            return CheckDebug(c);
        case Op::ExpectScreen:
            return CheckScreen(c, desktop);
        case Op::ExpectPixel: {
            const ui::Rgb found = desktop.Screen().GetPixel(c.x, c.y);
            if (found != c.color) {
                return Mismatch(Hex6(c.color), Hex6(found));
            }
            return std::nullopt;
        }
        case Op::ExpectFit:
            return CheckFit(desktop);
        default:
            return "not an expectation";
    }
}

std::optional<std::string> ScriptRunner::CheckControl(const Command& c, ui::Desktop& desktop) {
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    std::string why;
    const auto hwnd = Control(c, desktop, &why);
    if (!hwnd) {
        return why;
    }
    const auto info = desktop.Describe(*hwnd);
    if (!info) {
        return "control " + std::to_string(c.id) + " has gone";
    }
    if (c.op == Op::ExpectText && info->text != c.text) {
        return Mismatch(Quote(c.text), Quote(info->text));
    }
    if (c.op == Op::ExpectMatch) {
        const Pattern::Outcome match = c.pattern->Match(info->text);
        if (!match.refused.empty()) {
            return "control " + std::to_string(c.id) + ": " + match.refused;
        }
        if (!match.matched) {
            return Mismatch("a match of " + Quote(c.text), Quote(info->text));
        }
    }
    if (c.op == Op::ExpectCheck) {
        if (info->check < 0) {
            return "control " + std::to_string(c.id) + " is not a button";
        }
        if (info->check != c.number) {
            return Mismatch(std::to_string(c.number), std::to_string(info->check));
        }
    }
    if (c.op == Op::ExpectEnabled && info->enabled != (c.number != 0)) {
        return Mismatch(flag(c.number != 0), flag(info->enabled));
    }
    if (c.op == Op::ExpectVisible && info->visible != (c.number != 0)) {
        return Mismatch(flag(c.number != 0), flag(info->visible));
    }
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::CheckFit(ui::Desktop& desktop) {
    desktop.Screen();  // paints what is pending, so that every text on screen was drawn
    std::string found;
    const auto visit = [&](const auto& self, ui::HWND hwnd) -> void {
        const auto info = desktop.Describe(hwnd);
        if (!info || !info->visible) {
            return;
        }
        for (const std::string& text : info->clippedTexts) {
            found += (found.empty() ? "" : ", ") + Quote(text) + " in " +
                     (info->id != 0 ? "control " + std::to_string(info->id)
                                    : "the window " + Quote(info->text));
        }
        for (ui::HWND child : desktop.Children(hwnd)) {
            self(self, child);
        }
    };
    for (ui::HWND top : desktop.TopLevelWindows()) {
        visit(visit, top);
    }
    if (found.empty()) {
        return std::nullopt;
    }
    return Mismatch("every text on screen whole", found + " cut short");
}

std::optional<std::string> ScriptRunner::CheckDebug(const Command& c) {
    const std::vector<std::string> lines = target_.DebugLines();
    if (debugSeen_ > lines.size()) {
        debugSeen_ = 0;  // the unit's record was cleared
    }
    for (std::size_t i = debugSeen_; i < lines.size(); ++i) {
        if (lines[i] == c.text) {
            debugSeen_ = i + 1;
            return std::nullopt;
        }
    }
    std::string found;
    constexpr std::size_t kShown = 5;
    const std::size_t from = std::max(debugSeen_, lines.size() - std::min(lines.size(), kShown));
    for (std::size_t i = from; i < lines.size(); ++i) {
        found += (found.empty() ? "" : ", ") + Quote(lines[i]);
    }
    if (found.empty()) {
        found = "no new debug line";
    } else if (from > debugSeen_) {
        found = "..., " + found;
    }
    return Mismatch("the debug line " + Quote(c.text), found);
}

std::filesystem::path ScriptRunner::ReferencePath(const std::string& file) const {
    std::filesystem::path path = PathFromUtf8(file);
    if (path.is_absolute() || script_.folder.empty()) {
        return path;
    }
    return script_.folder / path;
}

std::optional<std::string> ScriptRunner::ReadReference(const Command& c,
                                                       ui::Framebuffer* picture) const {
    // The signature, then the header chunk's length, type, width and height.
    static constexpr std::array<char, 8> kSignature = {'\x89', 'P',  'N',    'G',
                                                       '\r',   '\n', '\x1a', '\n'};
    constexpr std::size_t kHeadBytes = 24;
    const std::filesystem::path reference = ReferencePath(c.text);
    std::error_code ec;
    if (!std::filesystem::exists(reference, ec)) {
        return "no reference picture " + Utf8FromPath(reference) +
               " (--update-screens writes it from the screen)";
    }
    const std::string named = "the reference " + Quote(Utf8FromPath(reference));
    if (const std::string kind = detail::NotAFile(reference); !kind.empty()) {
        return named + " is " + kind + ", not a picture";
    }
    std::ifstream in(reference, std::ios::binary);
    std::array<char, kHeadBytes> head{};
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (!in && got == 0) {
        return in.eof() ? named + " is empty" : named + " cannot be read";
    }
    if (got < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), head.begin())) {
        return named + " is not a PNG picture";
    }
    if (got < kHeadBytes || std::string_view(head.data() + 12, 4) != "IHDR") {
        return named + " is cut short or damaged";
    }
    // Its size, before anything is decoded: only a picture of the area's
    // size can be compared.
    auto word = [&head](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = at; i < at + 4; ++i) {
            value = value << 8 | static_cast<unsigned char>(head[i]);
        }
        return value;
    };
    const std::uint32_t width = word(16);
    const std::uint32_t height = word(20);
    if (width != static_cast<std::uint32_t>(c.area.Width()) ||
        height != static_cast<std::uint32_t>(c.area.Height())) {
        return "the reference " + Quote(c.text) + " is " + std::to_string(width) + " x " +
               std::to_string(height) + ", the area " + std::to_string(c.area.Width()) + " x " +
               std::to_string(c.area.Height());
    }
    in.close();
    if (!ui::ReadPng(Utf8FromPath(reference), picture, nullptr) ||
        picture->Width() != c.area.Width() || picture->Height() != c.area.Height()) {
        return named + " is cut short or damaged";
    }
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::CheckScreen(const Command& c, ui::Desktop& desktop) {
    const ui::Framebuffer& screen = desktop.Screen();
    if (options_.updateScreens) {
        const std::filesystem::path reference = ReferencePath(c.text);
        std::string error;
        if (!WritePicture(detail::Crop(screen, c.area), reference, &error)) {
            return error;
        }
        log_ << script_.name << ':' << c.line << ": wrote the reference " << Utf8FromPath(reference)
             << '\n';
        return std::nullopt;
    }
    ui::Framebuffer want;
    if (std::optional<std::string> why = ReadReference(c, &want)) {
        return why;
    }
    const detail::ScreenDifference d = detail::Compare(screen, c.area, want);
    if (d.pixels == 0) {
        return std::nullopt;
    }
    std::string message = std::to_string(d.pixels) +
                          (d.pixels == 1 ? " pixel differs" : " pixels differ") + " from " +
                          Quote(c.text) + " in x " + std::to_string(d.box.left) + ".." +
                          std::to_string(d.box.right - 1) + ", y " + std::to_string(d.box.top) +
                          ".." + std::to_string(d.box.bottom - 1);
    return message;
}

}  // namespace script
