#include "script/script_runner.h"

#include <algorithm>
#include <utility>

#include "command_reports.h"
#include "evidence.h"
#include "executor.h"
#include "expectations.h"
#include "ui/desktop.h"

namespace script {

namespace {

using ui::InputEvent;

// How far the clock moves between two tries of an expectation with `within`.
constexpr std::uint64_t kRetryStepMs = 20;

}  // namespace

InputEvent ScriptRunner::QuitEvent() {
    InputEvent e;
    e.kind = InputEvent::Kind::Quit;
    return e;
}

ScriptRunner::ScriptRunner(Script script, Target& target, std::ostream& log, RunnerOptions options)
    : script_(std::move(script)),
      target_(target),
      log_(log),
      options_(std::move(options)),
      stepper_(target, {options_.settleLimit, options_.realTimeSettle}),
      executor_(std::make_unique<detail::Executor>(
          target, options_.screenshotFolder.empty() ? script_.folder : options_.screenshotFolder)),
      expectations_(std::make_unique<detail::Expectations>(
          target, log,
          detail::ExpectationSettings{script_.name, script_.folder, options_.updateScreens,
                                      options_.backend})),
      evidence_(std::make_unique<detail::Evidence>(options_.artifactsFolder, script_.name, target)),
      reports_(std::make_unique<detail::CommandReports>(options_.observer, target)) {
    // The traffic such a check reads is kept from the start of the run.
    const bool readsTraffic =
        std::any_of(script_.commands.begin(), script_.commands.end(), [](const Command& c) {
            const Expectation* e = ExpectationOf(c);
            return e != nullptr && ReadsTraffic(e->check);
        });
    if (readsTraffic && target_.Traffic() != nullptr) {
        target_.Traffic()->Keep();
    }
}

ScriptRunner::~ScriptRunner() = default;

void ScriptRunner::Present(const ui::Framebuffer& /*screen*/) {
    ++frames_;
}

void ScriptRunner::Wake() {
    stepper_.Wake();
}

InputEvent ScriptRunner::WaitEvent(std::optional<std::uint64_t> deadlineMs) {
    ui::Desktop* desktop = ui::Desktop::Current();
    for (;;) {
        if (stepper_.TakeWoken()) {
            return {};  // the framework has something of its own first
        }
        if (failed_ || desktop == nullptr || PastDeadline()) {
            return QuitEvent();
        }
        // On the wall clock a window that waits for its worker has not settled
        // either: its close goes on in real time.
        const ClockStepper::Settled settled =
            stepper_.Settle(!target_.VirtualTime() && desktop->WaitingForThread());
        if (settled == ClockStepper::Settled::TooLong) {
            const std::string what = stepper_.NotSettled();
            if (const Command* at = CommandAt(waiting_)) {
                Fail(*at, what);
            } else {
                FailAtEnd("at the end: " + what);
            }
            return QuitEvent();
        }
        if (settled == ClockStepper::Settled::Yes) {
            if (auto event = Turn(*desktop, deadlineMs)) {
                return std::move(*event);
            }
        }
    }
}

std::optional<InputEvent> ScriptRunner::Turn(ui::Desktop& desktop,
                                             std::optional<std::uint64_t> deadlineMs) {
    if (target_.VirtualTime() && stepper_.TakeWoken()) {
        // A worker posted or ended as the unit settled (it wakes the
        // framework before it blocks or returns): the framework's turn
        // first, however the machine timed the two.
        return InputEvent{};
    }
    if (stepper_.TakeAdvanced()) {
        // The unit's threads due at this moment have run; now the windows'
        // timers.
        return InputEvent{};
    }
    if (auto event = TakePending()) {
        return event;
    }
    if (stepper_.Waiting()) {
        return StepWait(desktop, deadlineMs);
    }
    // The command before has ended: settled, nothing of it pending.
    reports_->End(&desktop);
    if (options_.stopBefore && next_ >= *options_.stopBefore) {
        stopped_ = true;
        return InputEvent{};  // the framework's turn; the next presenter's from here
    }
    if (next_ < script_.commands.size()) {
        return RunNext(desktop);
    }
    return EndOfScript(desktop);
}

std::optional<InputEvent> ScriptRunner::StepWait(ui::Desktop& desktop,
                                                 std::optional<std::uint64_t> deadlineMs) {
    switch (stepper_.StepWait(deadlineMs)) {
        case ClockStepper::Step::Done:
            waiting_ = nullptr;
            if (retry_ &&
                Expect(*retry_->command, *ExpectationOf(*retry_->command), desktop) == Step::Quit) {
                return QuitEvent();
            }
            return std::nullopt;
        case ClockStepper::Step::Slept:
            return InputEvent{};  // the framework's turn: a timer may be due
        case ClockStepper::Step::Stuck:
            Fail(*waiting_, "the clock does not move: a thread of the unit is due at " +
                                std::to_string(stepper_.StuckAt()) + " ms again and again");
            return QuitEvent();
        case ClockStepper::Step::Advanced:
            break;
    }
    return std::nullopt;
}

std::optional<InputEvent> ScriptRunner::TakePending() {
    auto& pending = executor_->Pending();
    if (pending.empty()) {
        return std::nullopt;
    }
    InputEvent e = std::move(pending.front());
    pending.pop_front();
    return e;
}

InputEvent ScriptRunner::RunNext(ui::Desktop& desktop) {
    const Command& c = script_.commands[next_++];
    lastCancelled_ = nullptr;
    reports_->Start(c, true);
    const Expectation* e = ExpectationOf(c);
    const Step step = e != nullptr ? Expect(c, *e, desktop) : Execute(c, desktop);
    if (step == Step::Quit) {
        return QuitEvent();
    }
    if (auto event = TakePending()) {
        return std::move(*event);
    }
    return {};  // the framework takes its turn before the next command
}

ScriptRunner::Step ScriptRunner::Execute(const Command& c, ui::Desktop& desktop) {
    if (const auto* wait = std::get_if<Wait>(&c.action)) {
        stepper_.StartWait(wait->ms);
        waiting_ = &c;
        return Step::Next;
    }
    if (const platform::Result<void> done = executor_->Run(c.action, desktop); !done) {
        return Fail(c, done.error());
    }
    return Step::Next;
}

ScriptRunner::Step ScriptRunner::Expect(const Command& c, const Expectation& e,
                                        ui::Desktop& desktop) {
    const platform::Result<void> held = expectations_->Check(e.check, desktop);
    if (held) {
        retry_.reset();
        return Step::Next;
    }
    std::string failure = held.error();
    const std::uint64_t now = target_.NowMs();
    if (e.withinMs) {
        if (!retry_ || retry_->command != &c) {
            retry_ = Retry{&c, now + *e.withinMs};
        }
        if (now < retry_->untilMs) {
            stepper_.StartWait(std::min(kRetryStepMs, retry_->untilMs - now));
            waiting_ = &c;
            return Step::Next;
        }
        retry_.reset();
        failure += " (for " + std::to_string(*e.withinMs) + " ms)";
    }
    // Only a comparison that failed, after its time, takes the screen as
    // its new reference.
    if (const auto* screen = std::get_if<ExpectScreen>(&e.check);
        screen != nullptr && options_.updateScreens) {
        const platform::Result<void> written =
            expectations_->WriteReference(*screen, c.line, desktop);
        return written ? Step::Next : Fail(c, written.error());
    }
    return Fail(c, failure);
}

}  // namespace script
