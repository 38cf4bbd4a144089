// The small service interfaces beside the kernel, and the one place where a
// backend (the virtual unit on the host, coredll on the target) installs them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/kernel.h"
#include "platform/win_types.h"

namespace platform {

// PlaySound flags.
inline constexpr DWORD SND_SYNC = 0x0000;
inline constexpr DWORD SND_ASYNC = 0x0001;
inline constexpr DWORD SND_NODEFAULT = 0x0002;
inline constexpr DWORD SND_MEMORY = 0x0004;
inline constexpr DWORD SND_LOOP = 0x0008;
inline constexpr DWORD WAVE_MAPPER = 0xFFFFFFFFU;
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;

// The wave output: plays in-memory RIFF/WAVE images.
class Sound {
  public:
    virtual ~Sound() = default;
    // image null stops whatever plays. With SND_MEMORY the image is a
    // RIFF/WAVE block whose size is taken from its header; the player reads
    // it while it plays.
    virtual BOOL PlaySound(const void* image, DWORD flags) = 0;
    virtual MMRESULT waveOutSetVolume(DWORD device, DWORD volume) = 0;
    virtual MMRESULT waveOutGetVolume(DWORD device, DWORD* volume) = 0;
};

inline constexpr BYTE BATTERY_FLAG_UNKNOWN = 0xFF;

struct SYSTEM_POWER_STATUS_EX2 {
    BYTE ACLineStatus = 0;
    BYTE BatteryFlag = BATTERY_FLAG_UNKNOWN;
    BYTE BatteryLifePercent = 0xFF;
    BYTE Reserved1 = 0;
    DWORD BatteryLifeTime = 0xFFFFFFFFU;
    DWORD BatteryFullLifeTime = 0xFFFFFFFFU;
    BYTE Reserved2 = 0;
    BYTE BackupBatteryFlag = BATTERY_FLAG_UNKNOWN;
    BYTE BackupBatteryLifePercent = 0xFF;
    BYTE Reserved3 = 0;
    DWORD BackupBatteryLifeTime = 0xFFFFFFFFU;
    DWORD BackupBatteryFullLifeTime = 0xFFFFFFFFU;
    DWORD BatteryVoltage = 0;  // millivolts
    DWORD BatteryCurrent = 0;
    DWORD BatteryAverageCurrent = 0;
    DWORD BatteryAverageInterval = 0;
    DWORD BatterymAHourConsumed = 0;
    DWORD BatteryTemperature = 0;
    DWORD BackupBatteryVoltage = 0;
    BYTE BatteryChemistry = 0;
};
// A caller names the length it knows and gets the record's bytes up to it,
// so the layout is the unit's, at every word size.
static_assert(sizeof(SYSTEM_POWER_STATUS_EX2) == 56);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryLifeTime) == 4);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BackupBatteryLifeTime) == 16);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryVoltage) == 24);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryChemistry) == 52);

class Power {
  public:
    virtual ~Power() = default;
    // Returns the number of bytes filled, 0 when the status is unavailable.
    virtual DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length,
                                          BOOL update) = 0;
};

class Touch {
  public:
    virtual ~Touch() = default;
    // Runs the platform's calibration dialogue and returns when it ends.
    virtual BOOL TouchCalibrate() = 0;
};

// Registry (HKEY_LOCAL_MACHINE only) and the device manager.
using HKEY = std::intptr_t;
inline constexpr HKEY HKEY_LOCAL_MACHINE = static_cast<HKEY>(0x80000002U);
inline constexpr DWORD KEY_QUERY_VALUE = 0x0001;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_DWORD = 4;

class Registry {
  public:
    virtual ~Registry() = default;
    // Results are Win32 error codes: ERROR_SUCCESS or the reason.
    virtual LONG RegOpenKeyEx(HKEY root, std::string_view subKey, DWORD options, DWORD access,
                              HKEY* key) = 0;
    virtual LONG RegQueryValueEx(HKEY key, std::string_view name, DWORD* type, BYTE* data,
                                 DWORD* size) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
    // Loads the driver described by a registry key; 0 on failure.
    virtual HANDLE ActivateDevice(std::string_view key, DWORD clientInfo) = 0;
    virtual BOOL DeactivateDevice(HANDLE device) = 0;
};

// A free-running millisecond clock (timeGetTime); wraps modulo 2^32 for the
// system, 64-bit for the framework's timers.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::uint64_t NowMs() = 0;
};

// Message boxes of programs without a window (the driver switch tool).
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class Prompt {
  public:
    virtual ~Prompt() = default;
    virtual int MessageBox(std::string_view text, std::string_view caption, UINT type) = 0;
};

// What a backend provides. Any member may be null when a program does not
// need it; calling into a missing service is a programming error.
struct Services {
    Kernel* kernel = nullptr;
    Sound* sound = nullptr;
    Power* power = nullptr;
    Touch* touch = nullptr;
    Registry* registry = nullptr;
    Clock* clock = nullptr;
    Prompt* prompt = nullptr;
};

// Installs the backend in the calling thread's world (platform/world.h);
// returns the previous one.
Services Install(const Services& services);
const Services& Installed();

// Installs for a scope (tests), restoring the previous backend on exit.
class ScopedServices {
  public:
    explicit ScopedServices(const Services& services) : previous_(Install(services)) {}
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;
    ~ScopedServices() { Install(previous_); }

  private:
    Services previous_;
};

}  // namespace platform
