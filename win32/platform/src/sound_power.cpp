// The wave output (winmm), the power status, the touch calibration and the
// millisecond clock of a PC.
#include <cstring>

#include "win32_api.h"
#include "win32_error.h"
#include "win32_services.h"

namespace win32::pc {

namespace {

// A device number stands where winmm takes a device handle, as Win32
// programs pass WAVE_MAPPER.
HWAVEOUT WaveDevice(DWORD device) {
    return reinterpret_cast<HWAVEOUT>(  // NOLINT(performance-no-int-to-ptr)
        static_cast<UINT_PTR>(device));
}

}  // namespace

platform::BOOL Win32Sound::PlaySound(const void* image, platform::DWORD flags) {
    if (image == nullptr) {
        return ::PlaySoundW(nullptr, nullptr, 0);
    }
    return ::PlaySoundW(static_cast<LPCWSTR>(image), nullptr, flags);
}

platform::MMRESULT Win32Sound::waveOutSetVolume(platform::DWORD device, platform::DWORD volume) {
    return ::waveOutSetVolume(WaveDevice(device), volume);
}

platform::MMRESULT Win32Sound::waveOutGetVolume(platform::DWORD device, platform::DWORD* volume) {
    if (volume == nullptr) {
        return ::waveOutGetVolume(WaveDevice(device), nullptr);
    }
    ::DWORD level = 0;
    const MMRESULT result = ::waveOutGetVolume(WaveDevice(device), &level);
    if (result == MMSYSERR_NOERROR) {
        *volume = level;
    }
    return result;
}

platform::DWORD Win32Power::GetSystemPowerStatusEx2(platform::SYSTEM_POWER_STATUS_EX2* status,
                                                    platform::DWORD length,
                                                    platform::BOOL /*update*/) {
    if (status == nullptr || length == 0) {
        Fail(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SYSTEM_POWER_STATUS pc{};
    if (!::GetSystemPowerStatus(&pc)) {
        TakeLastError();
        return 0;
    }
    platform::SYSTEM_POWER_STATUS_EX2 s;
    s.ACLineStatus = pc.ACLineStatus;
    s.BatteryFlag = pc.BatteryFlag;
    s.BatteryLifePercent = pc.BatteryLifePercent;
    s.BatteryLifeTime = pc.BatteryLifeTime;
    s.BatteryFullLifeTime = pc.BatteryFullLifeTime;
    const DWORD n = length < sizeof s ? length : static_cast<DWORD>(sizeof s);
    std::memcpy(status, &s, n);
    return n;
}

platform::BOOL Win32Touch::TouchCalibrate() {
    Fail(kNoDesktopCounterpart);
    return FALSE;
}

std::uint64_t Win32Clock::NowMs() {
    return ::GetTickCount64();
}

}  // namespace win32::pc
