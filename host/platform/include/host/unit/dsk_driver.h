// "DSK1:" (devices/dsk1.h): the storage card's identify record, as
// dsk.identify gives it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "devices/dsk1.h"
#include "host/unit/driver.h"
#include "host/unit/schema.h"

namespace host::unit {

class DskDriver final : public Driver {
  public:
    // dsk.identify: hex bytes, at most the reply's size.
    void DeclareKeys(Schema::Table& table);

    DriverResult IoControl(DeviceOpen& open, DWORD code, const void* in, DWORD inSize, void* out,
                           DWORD outSize, DWORD* returned) override;

    [[nodiscard]] std::vector<std::uint8_t> Identify() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> identify_;
};

}  // namespace host::unit
