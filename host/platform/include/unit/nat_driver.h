// "NAT1:": the radio mute switch. Codes 0 and 1 switch muting off and on,
// code 2 reads the level; every code received is logged.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "unit/driver.h"
#include "unit/schema.h"

namespace unit {

class NatDriver final : public Driver {
  public:
    static constexpr DWORD kMuteOff = 0;
    static constexpr DWORD kMuteOn = 1;
    static constexpr DWORD kGetLevel = 2;

    // nat.level.
    void DeclareKeys(Schema::Table& table);

    DriverResult IoControl(DeviceOpen& open, DWORD code, const void* in, DWORD inSize, void* out,
                           DWORD outSize, DWORD* returned) override;

    [[nodiscard]] std::int32_t Level() const;
    [[nodiscard]] std::vector<DWORD> CodeLog() const;

  private:
    mutable std::mutex mutex_;
    std::int32_t level_ = 0;
    std::vector<DWORD> codes_;
};

}  // namespace unit
