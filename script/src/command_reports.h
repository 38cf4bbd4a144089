// The observer's record of each command of a run: when it started, and as
// it ends the screen, the unit's clock, the debug lines and message boxes
// since the command before.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "script/run_observer.h"
#include "script/script.h"
#include "script/target.h"
#include "ui/desktop.h"

namespace script::detail {

class CommandReports {
  public:
    // observer nullptr: nobody is told. target must outlive it.
    CommandReports(RunObserver* observer, Target& target);

    // The command now in progress; tell: the observer hears it started.
    void Start(const Command& c, bool tell);
    [[nodiscard]] const Command* Current() const { return current_; }

    // The command in progress has ended (failure empty: it held or ran);
    // pictures: those of a failed `expect screen`. Nothing when none is.
    void End(ui::Desktop* desktop, const std::string& failure = {},
             const ScreenPictures* pictures = nullptr);

  private:
    RunObserver* observer_;
    Target& target_;
    const Command* current_ = nullptr;
    std::chrono::steady_clock::time_point since_;
    std::size_t debugReported_ = 0;
    platform::Traffic* traffic_ = nullptr;  // kept for the observer; nullptr: not wanted
    std::uint64_t trafficReported_ = 0;     // the number of the next event to report
    ui::HWND boxReported_ = nullptr;
};

}  // namespace script::detail
