// "LOG1:" (devices/log1.h): the unit's logging. LOGGING_DISABLE stops
// logging and returns TRUE; the unit can be set to refuse (FALSE) or to
// answer another non-zero value.
#pragma once

#include <atomic>

#include "devices/log1.h"
#include "host/unit/driver.h"
#include "host/unit/schema.h"

namespace host::controls {

using unit::BOOL;
using unit::DWORD;

class LogDriver final : public unit::Driver {
  public:
    // log.refuse (bool): LOGGING_DISABLE returns FALSE with ERROR_ACCESS_DENIED.
    // log.result (int): what it returns when it does not refuse.
    void DeclareKeys(unit::Schema::Table& table);

    unit::DriverResult IoControl(unit::DeviceOpen& open, DWORD code, const void* in, DWORD inSize,
                                 void* out, DWORD outSize, DWORD* returned) override;

    [[nodiscard]] bool LoggingStopped() const { return stopped_.load(); }
    void SetLoggingStopped(bool stopped) { stopped_.store(stopped); }

  private:
    std::atomic<bool> stopped_{false};
    std::atomic<bool> refuse_{false};
    std::atomic<BOOL> result_{platform::TRUE};
};

}  // namespace host::controls
