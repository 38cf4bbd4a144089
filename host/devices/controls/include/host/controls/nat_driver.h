// "NAT1:" (devices/nat1.h): the radio mute switch. Muting off and on set
// the level to 0 and 1; every code received is logged.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "devices/nat1.h"
#include "host/unit/driver.h"
#include "host/unit/schema.h"

namespace host::controls {

using unit::DWORD;

class NatDriver final : public unit::Driver {
  public:
    // nat.level.
    void DeclareKeys(unit::Schema::Table& table);

    unit::DriverResult IoControl(unit::DeviceOpen& open, DWORD code, const void* in, DWORD inSize,
                                 void* out, DWORD outSize, DWORD* returned) override;

    [[nodiscard]] std::int32_t Level() const;
    [[nodiscard]] std::vector<DWORD> CodeLog() const;

  private:
    mutable std::mutex mutex_;
    std::int32_t level_ = 0;
    std::vector<DWORD> codes_;
};

}  // namespace host::controls
