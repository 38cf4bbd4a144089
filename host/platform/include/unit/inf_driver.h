// "INF1:": the system version. Control code 0 gives (major << 16) | minor in
// a 4-byte output.
#pragma once

#include <atomic>
#include <cstdint>

#include "unit/driver.h"
#include "unit/schema.h"

namespace unit {

class InfDriver final : public Driver {
  public:
    static constexpr DWORD kGetSystemVersion = 0;

    // inf.major, inf.minor (0..65535).
    void DeclareKeys(Schema::Table& table);

    DriverResult IoControl(DeviceOpen& open, DWORD code, const void* in, DWORD inSize, void* out,
                           DWORD outSize, DWORD* returned) override;

    [[nodiscard]] std::uint32_t Version() const { return version_.load(); }

  private:
    std::atomic<std::uint32_t> version_{0x00010002U};
};

}  // namespace unit
