// A target the tests set up by hand: a clock only they move, deadlines and
// a busy flag they choose, and a record of every key set.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/target.h"

namespace script::test {

class FakeTarget final : public Target {
  public:
    bool virtualTime = true;
    std::uint64_t now = 0;
    std::optional<std::uint64_t> deadline;
    bool quiescent = true;
    std::vector<std::string> debugLines;
    std::vector<std::pair<std::string, std::string>> sets;
    std::optional<std::string> setError;  // what Set says when it is refused
    bool stopped = false;

    [[nodiscard]] bool VirtualTime() const override { return virtualTime; }
    [[nodiscard]] std::uint64_t NowMs() const override { return now; }
    void AdvanceTo(std::uint64_t ms) override { now = std::max(now, ms); }
    [[nodiscard]] std::optional<std::uint64_t> NextDeadline() const override { return deadline; }
    [[nodiscard]] bool Quiescent() const override { return quiescent; }
    bool WaitQuiescent(std::chrono::milliseconds /*limit*/) override { return quiescent; }
    [[nodiscard]] std::string Activity() const override { return "1 thread live"; }
    platform::Result<void> Set(std::string_view key, std::string_view value) override {
        sets.emplace_back(key, value);
        if (setError) {
            return platform::Fail(*setError);
        }
        return {};
    }
    [[nodiscard]] std::vector<std::string> DebugLines() const override { return debugLines; }
    void Stop() override { stopped = true; }
};

}  // namespace script::test
