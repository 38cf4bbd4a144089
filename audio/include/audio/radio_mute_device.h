// The radio mute switch behind "NAT1:". The device is opened on first use and
// kept open for the program's life; while it cannot be opened, every use
// tries again.
#pragma once

#include "platform/win_types.h"

class RadioMuteDevice {
  public:
    RadioMuteDevice() = default;
    RadioMuteDevice(const RadioMuteDevice&) = delete;
    RadioMuteDevice& operator=(const RadioMuteDevice&) = delete;
    ~RadioMuteDevice();

    // Muting off and on; the outcome is not reported.
    void SetMuteOff();
    void SetMuteOn();
    // The muting level, or -1 after telling the user the query failed.
    int GetLevel();

    [[nodiscard]] platform::HANDLE Handle() const { return m_hDevice; }

  private:
    platform::HANDLE Open();

    platform::HANDLE m_hDevice = platform::INVALID_HANDLE_VALUE;
};
