// "LOG1:": the unit's logging. Control code 1 stops logging and returns TRUE;
// the unit can be set to refuse (FALSE) or to answer another non-zero value.
#pragma once

#include <atomic>

#include "unit/driver.h"
#include "unit/schema.h"

namespace unit {

class LogDriver final : public Driver {
  public:
    static constexpr DWORD kLoggingDisable = 1;

    // log.refuse (bool): code 1 returns FALSE with ERROR_ACCESS_DENIED.
    // log.result (int): what code 1 returns when it does not refuse.
    void DeclareKeys(Schema::Table& table);

    DriverResult IoControl(DeviceOpen& open, DWORD code, const void* in, DWORD inSize, void* out,
                           DWORD outSize, DWORD* returned) override;

    [[nodiscard]] bool LoggingStopped() const { return stopped_.load(); }
    void SetLoggingStopped(bool stopped) { stopped_.store(stopped); }

  private:
    std::atomic<bool> stopped_{false};
    std::atomic<bool> refuse_{false};
    std::atomic<BOOL> result_{platform::TRUE};
};

}  // namespace unit
