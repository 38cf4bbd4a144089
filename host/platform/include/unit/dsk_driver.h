// "DSK1:": the storage card's identify record, returned by control code
// 0x72000 into an output of up to 80 bytes.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "unit/driver.h"
#include "unit/schema.h"

namespace unit {

class DskDriver final : public Driver {
  public:
    static constexpr DWORD kGetIdentify = 0x72000;
    static constexpr std::size_t kRecordBytes = 80;

    // dsk.identify: hex bytes, at most 80.
    void DeclareKeys(Schema::Table& table);

    DriverResult IoControl(DeviceOpen& open, DWORD code, const void* in, DWORD inSize, void* out,
                           DWORD outSize, DWORD* returned) override;

    [[nodiscard]] std::vector<std::uint8_t> Identify() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> identify_;
};

}  // namespace unit
