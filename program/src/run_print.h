// --repeat-each: what a run of a script must repeat exactly on the virtual
// clock (each command, its outcome, the unit's clock as it ended, the
// screen after it, the debug lines, message boxes and traffic on the way; never
// the wall time), and the first step where two runs part.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "script/run_observer.h"

namespace program::detail {

class RunPrint final : public script::RunObserver {
  public:
    // Passes each command on to next (nullptr: none).
    explicit RunPrint(script::RunObserver* next) : next_(next) {}

    void CommandStarted(const script::Command& command) override;
    void CommandEnded(const script::CommandRecord& record) override;
    // Every run's traffic is compared, whether a report keeps it or not.
    [[nodiscard]] bool WantsTraffic() const override { return true; }

    struct Step {
        int line = 0;
        std::string command;
        std::string failure;
        std::uint64_t unitMs = 0;
        std::optional<std::uint64_t> screen;  // its pixels' hash
        std::optional<std::uint64_t> actual;  // a failed `expect screen`'s area
        std::vector<std::string> debugLines;
        std::vector<std::string> messageBoxes;
        std::vector<platform::TrafficEvent> traffic;
        bool operator==(const Step&) const = default;
    };
    [[nodiscard]] const std::vector<Step>& Steps() const { return steps_; }

  private:
    script::RunObserver* next_;
    std::vector<Step> steps_;
};

// Where run `later` of a script parts from run `first` (numbered from 1
// for the message): "FILE:LINE: command: run 3 of 5 parts from run 1 here:
// the unit's clock: run 1 1200 ms, run 3 1220 ms"; nullopt when the two
// are the same. name: the script as messages show it.
std::optional<std::string> FirstDifference(const std::string& name,
                                           const std::vector<RunPrint::Step>& first,
                                           const std::vector<RunPrint::Step>& later, int run,
                                           int runs);

}  // namespace program::detail
