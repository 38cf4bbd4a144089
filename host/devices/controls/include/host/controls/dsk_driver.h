// "DSK1:" (devices/dsk1.h): the storage card's identify record, as
// dsk.identify gives it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "devices/dsk1.h"
#include "host/unit/driver.h"
#include "host/unit/schema.h"

namespace host::controls {

using unit::DWORD;

class DskDriver final : public unit::Driver {
  public:
    // dsk.identify: hex bytes, at most the reply's size.
    void DeclareKeys(unit::Schema::Table& table);

    unit::DriverResult IoControl(unit::DeviceOpen& open, DWORD code, const void* in, DWORD inSize,
                                 void* out, DWORD outSize, DWORD* returned) override;

    [[nodiscard]] std::vector<std::uint8_t> Identify() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> identify_;
};

}  // namespace host::controls
