// A clock that moves only when told: tests and headless scripts make timer
// behaviour exact with it.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/services.h"

namespace ui {

class ManualClock : public platform::Clock {
  public:
    explicit ManualClock(std::uint64_t startMs = 0) : now_(startMs) {}
    std::uint64_t NowMs() override { return now_.load(); }
    void Set(std::uint64_t ms) { now_.store(ms); }
    void Advance(std::uint64_t ms) { now_.fetch_add(ms); }

  private:
    std::atomic<std::uint64_t> now_;
};

}  // namespace ui
