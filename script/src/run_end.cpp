// The end of a run: the final screenshot, cancelling the windows left, the
// time a window's worker gets, and the failures with their evidence.
#include <fstream>
#include <string>

#include "command_reports.h"
#include "evidence.h"
#include "executor.h"
#include "expectations.h"
#include "picture_files.h"
#include "script/script_runner.h"
#include "script/utf8_path.h"
#include "script/window_tree.h"
#include "ui/desktop.h"

namespace script {

namespace {

using ui::InputEvent;

// Cancelling windows at the end gives up after this many tries (a window
// that opens another on every cancel).
constexpr int kMostCancels = 64;

}  // namespace

InputEvent ScriptRunner::EndOfScript(ui::Desktop& desktop) {
    if (!options_.finalScreenshot.empty() && !finalShotWritten_) {
        finalShotWritten_ = true;
        if (const platform::Result<void> written =
                detail::WritePicture(desktop.Screen(), options_.finalScreenshot);
            !written) {
            FailAtEnd("the screenshot at the end: " + written.error());
            return QuitEvent();
        }
    }
    if (!options_.finalWindowTree.empty() && !finalTreeWritten_) {
        finalTreeWritten_ = true;
        std::ofstream tree(options_.finalWindowTree, std::ios::binary | std::ios::trunc);
        tree << WindowTreeJson(desktop);
        tree.close();
        if (!tree) {
            FailAtEnd("the window tree at the end: " + Utf8FromPath(options_.finalWindowTree) +
                      ": cannot write");
            return QuitEvent();
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
        if (now - *threadWaitSince_ <= options_.settleLimit &&
            stepper_.WaitWoken(options_.settleLimit)) {
            return {};
        }
        FailAtEnd("at the end: a window still waits for a thread after " +
                  Millis(options_.settleLimit));
        target_.Stop();
        return QuitEvent();
    }
    threadWaitSince_.reset();
    if (top == lastCancelled_ || ++cancels_ > kMostCancels) {
        // It would not go: end the run as switching the unit off does.
        return QuitEvent();
    }
    lastCancelled_ = top;
    return detail::KeyEvent(InputEvent::Kind::KeyDown, ui::Key::Escape);
}

InputEvent ScriptRunner::WaitAtTheEnd(const ui::Desktop& desktop) {
    // The unit has settled and the framework has nothing to do.
    const ClockStepper::EndTime time = stepper_.GiveEndTime();
    if (time == ClockStepper::EndTime::Given) {
        return {};
    }
    const std::string what = desktop.WaitingForThread()
                                 ? "a window still waits for its thread"
                                 : "no window is left and the program does not end";
    FailAtEnd("at the end: " + what +
              (time == ClockStepper::EndTime::TooLong
                   ? " after " + Millis(std::chrono::milliseconds(kLongestEndWaitMs)) +
                         " of the unit's clock"
                   : ", and nothing the unit's clock brings can change that (" +
                         target_.Activity() + ")"));
    target_.Stop();  // its waits end: the run can end
    return QuitEvent();
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
    if (const Command* at = CommandAt(reports_->Current())) {
        Fail(*at, what);
    } else {
        FailAtEnd("at the end: " + what);
    }
    return true;
}

const Command* ScriptRunner::CommandAt(const Command* inProgress) const {
    if (inProgress != nullptr) {
        return inProgress;
    }
    return next_ < script_.commands.size() ? &script_.commands[next_] : nullptr;
}

const ScreenPictures* ScriptRunner::PicturesOf(const Command& c) const {
    return ScreenCheckOf(c) != nullptr && pictures_ ? &*pictures_ : nullptr;
}

ScriptRunner::Step ScriptRunner::Fail(const Command& c, const std::string& message) {
    ui::Desktop* desktop = ui::Desktop::Current();
    const bool first = !failed_;
    failed_ = true;
    if (first) {
        failedLine_ = c.line;
    }
    std::string why = message;
    std::string problems;
    if (first) {
        const ExpectScreen* screen = ScreenCheckOf(c);
        if (screen != nullptr && desktop != nullptr && !options_.updateScreens &&
            (!options_.artifactsFolder.empty() || options_.observer != nullptr)) {
            pictures_ =
                detail::TakePictures(*screen, expectations_->ReferenceOf(*screen), *desktop);
        }
        why += evidence_->Keep(desktop, screen, PicturesOf(c), &problems);
    }
    const std::string line =
        script_.name + ':' + std::to_string(c.line) + ": " + c.source + ": " + why;
    log_ << line << '\n' << problems;
    log_.flush();
    if (first) {
        failure_ = line;
        if (reports_->Current() != &c) {
            // The command before ended; this one fails before it started.
            reports_->End(desktop);
            reports_->Start(c, false);
        }
        reports_->End(desktop, why, PicturesOf(c));
    }
    return Step::Quit;
}

void ScriptRunner::FailAtEnd(const std::string& message) {
    ui::Desktop* desktop = ui::Desktop::Current();
    const bool first = !failed_;
    failed_ = true;
    std::string problems;
    if (first) {
        evidence_->Keep(desktop, nullptr, nullptr, &problems);
    }
    const std::string line = script_.name + ": " + message;
    log_ << line << '\n' << problems;
    log_.flush();
    if (first) {
        failure_ = line;
        reports_->End(desktop);
    }
}

}  // namespace script
