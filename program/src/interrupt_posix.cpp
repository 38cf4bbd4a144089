#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "interrupt_end.h"
#include "platform/exit_status.h"
#include "program/interrupt.h"

namespace program {

namespace {

sigset_t EndingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&set, signal);
    }
    return set;
}

// Ends the program as the signal itself would have: the parent sees it.
[[noreturn]] void EndBy(int signal) {
    detail::TakeInterruptActions();
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigaction(signal, &plain, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    static_cast<void>(raise(signal));
    std::_Exit(platform::kExitSignalBase + signal);
}

// The signal that comes within the time a run has to stop, else signal.
int AnotherWithin(const sigset_t& ending, int signal) {
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::seconds(detail::kStopSeconds);
    for (auto now = std::chrono::steady_clock::now(); now < until;
         now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(until - now);
        const timespec limit{static_cast<time_t>(left.count() / 1000000000),
                             static_cast<long>(left.count() % 1000000000)};
        siginfo_t again{};
        if (sigtimedwait(&ending, &again, &limit) > 0) {
            return again.si_signo;
        }
        if (errno != EINTR) {
            break;  // the time is over
        }
    }
    return signal;
}

}  // namespace

void HandleInterrupts() {
    const sigset_t ending = EndingSignals();
    // Held on this thread, and so on every thread started from now on.
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);
    std::thread([ending] {
        for (;;) {
            int signal = 0;
            if (sigwait(&ending, &signal) != 0) {
                continue;
            }
            if (detail::AskToStop()) {
                // The run stops by itself and the program ends; a second
                // signal, or no end in time, ends it here.
                signal = AnotherWithin(ending, signal);
            }
            EndBy(signal);
        }
    }).detach();
}

}  // namespace program
