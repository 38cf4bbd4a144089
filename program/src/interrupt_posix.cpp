#include <csignal>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "interrupt_end.h"
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
    std::_Exit(128 + signal);
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
                const timespec limit{detail::kStopSeconds, 0};
                siginfo_t again{};
                if (sigtimedwait(&ending, &again, &limit) > 0) {
                    signal = again.si_signo;
                }
            }
            EndBy(signal);
        }
    }).detach();
}

}  // namespace program
