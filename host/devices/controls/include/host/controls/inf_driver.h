// "INF1:" (devices/inf1.h): the system version, inf.major and inf.minor in
// one word.
#pragma once

#include <atomic>
#include <cstdint>

#include "devices/inf1.h"
#include "host/unit/driver.h"
#include "host/unit/schema.h"

namespace host::controls {

using unit::DWORD;

class InfDriver final : public unit::Driver {
  public:
    // inf.major, inf.minor (0..65535).
    void DeclareKeys(unit::Schema::Table& table);

    unit::DriverResult IoControl(unit::DeviceOpen& open, DWORD code, const void* in, DWORD inSize,
                                 void* out, DWORD outSize, DWORD* returned) override;

    [[nodiscard]] std::uint32_t Version() const { return version_.load(); }

  private:
    std::atomic<std::uint32_t> version_{SystemVersionWord(1, 2)};
};

}  // namespace host::controls
