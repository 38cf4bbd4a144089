// The services beside the kernel on a PC: the registry (the PC's own
// HKEY_LOCAL_MACHINE) with a device manager that does not exist there, the
// wave output (winmm), the power status, the touch calibration a PC does
// not have, and the millisecond clock.
#pragma once

#include <mutex>
#include <set>

#include "platform/services.h"

namespace win32::pc {

class Win32Registry final : public platform::Registry {
  public:
    platform::LONG RegOpenKeyEx(platform::HKEY root, std::string_view subKey,
                                platform::DWORD options, platform::DWORD access,
                                platform::HKEY* key) override;
    // REG_SZ data comes out as UTF-8 with its terminating zero, sized as such.
    platform::LONG RegQueryValueEx(platform::HKEY key, std::string_view name, platform::DWORD* type,
                                   platform::BYTE* data, platform::DWORD* size) override;
    platform::LONG RegCloseKey(platform::HKEY key) override;
    platform::HANDLE ActivateDevice(std::string_view key, platform::DWORD clientInfo) override;
    platform::BOOL DeactivateDevice(platform::HANDLE device) override;

  private:
    // Keys this backend opened: no other value reaches advapi32.
    std::mutex mutex_;
    std::set<platform::HKEY> open_;
};

class Win32Sound final : public platform::Sound {
  public:
    platform::BOOL PlaySound(const void* image, platform::DWORD flags) override;
    platform::MMRESULT waveOutSetVolume(platform::DWORD device, platform::DWORD volume) override;
    platform::MMRESULT waveOutGetVolume(platform::DWORD device, platform::DWORD* volume) override;
};

class Win32Power final : public platform::Power {
  public:
    // What GetSystemPowerStatus knows; no voltage (0).
    platform::DWORD GetSystemPowerStatusEx2(platform::SYSTEM_POWER_STATUS_EX2* status,
                                            platform::DWORD length, platform::BOOL update) override;
};

class Win32Touch final : public platform::Touch {
  public:
    platform::BOOL TouchCalibrate() override;
};

class Win32Clock final : public platform::Clock {
  public:
    std::uint64_t NowMs() override;
};

}  // namespace win32::pc
