// The platform calls as the system makes them: free functions with the Win32
// names, forwarding to the installed backend (services.h). System code reads
// like the target's, and a target backend is a pass-through.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/kernel.h"
#include "platform/last_error.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/win_types.h"
#include "platform/world.h"

namespace platform {

inline Kernel& TheKernel() {
    return *Installed().kernel;
}

inline HANDLE CreateFile(std::string_view name, DWORD access, DWORD share, DWORD creation,
                         DWORD flags) {
    return TheKernel().CreateFile(name, access, share, creation, flags);
}
inline BOOL ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read) {
    return TheKernel().ReadFile(h, buffer, toRead, read);
}
inline BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) {
    return TheKernel().WriteFile(h, buffer, toWrite, written);
}
inline BOOL DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out,
                            DWORD outSize, DWORD* returned) {
    return TheKernel().DeviceIoControl(h, code, in, inSize, out, outSize, returned);
}
inline BOOL CloseHandle(HANDLE h) {
    return TheKernel().CloseHandle(h);
}
inline HANDLE FindFirstFile(std::string_view pattern, WIN32_FIND_DATA* data) {
    return TheKernel().FindFirstFile(pattern, data);
}
inline BOOL FindNextFile(HANDLE find, WIN32_FIND_DATA* data) {
    return TheKernel().FindNextFile(find, data);
}
inline BOOL FindClose(HANDLE find) {
    return TheKernel().FindClose(find);
}
inline BOOL CopyFile(std::string_view existing, std::string_view target, BOOL failIfExists) {
    return TheKernel().CopyFile(existing, target, failIfExists);
}
inline BOOL DeleteFile(std::string_view path) {
    return TheKernel().DeleteFile(path);
}
inline BOOL GetDiskFreeSpaceEx(std::string_view directory, std::uint64_t* freeToCaller,
                               std::uint64_t* total, std::uint64_t* totalFree) {
    return TheKernel().GetDiskFreeSpaceEx(directory, freeToCaller, total, totalFree);
}
inline BOOL FileTimeToSystemTime(const FILETIME& time, SYSTEMTIME* out) {
    return TheKernel().FileTimeToSystemTime(time, out);
}
inline void* VirtualAlloc(void* address, DWORD size, DWORD type, DWORD protect) {
    return TheKernel().VirtualAlloc(address, size, type, protect);
}
inline BOOL VirtualCopy(void* destination, std::uint32_t kernelAddress, DWORD size, DWORD protect) {
    return TheKernel().VirtualCopy(destination, kernelAddress, size, protect);
}
inline BOOL VirtualFree(void* address, DWORD size, DWORD type) {
    return TheKernel().VirtualFree(address, size, type);
}
inline void* LocalAlloc(DWORD flags, std::size_t bytes) {
    return TheKernel().LocalAlloc(flags, bytes);
}
inline void* LocalFree(void* memory) {
    return TheKernel().LocalFree(memory);
}
inline BOOL GetCommState(HANDLE h, DCB* dcb) {
    return TheKernel().GetCommState(h, dcb);
}
inline BOOL SetCommState(HANDLE h, const DCB& dcb) {
    return TheKernel().SetCommState(h, dcb);
}
inline BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* t) {
    return TheKernel().GetCommTimeouts(h, t);
}
inline BOOL SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& t) {
    return TheKernel().SetCommTimeouts(h, t);
}
inline BOOL SetCommMask(HANDLE h, DWORD mask) {
    return TheKernel().SetCommMask(h, mask);
}
inline BOOL WaitCommEvent(HANDLE h, DWORD* eventMask) {
    return TheKernel().WaitCommEvent(h, eventMask);
}
inline BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* status) {
    return TheKernel().ClearCommError(h, errors, status);
}
// The new thread runs in the caller's world.
inline HANDLE CreateThread(std::function<DWORD()> entry, int priority) {
    return TheKernel().CreateThread(InheritWorld(std::move(entry)), priority);
}
inline DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds) {
    return TheKernel().WaitForSingleObject(h, milliseconds);
}

// NKDbgPrintfW: printf-style, checked by the compiler.
void NKDbgPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

inline BOOL PlaySound(const void* image, DWORD flags) {
    return Installed().sound->PlaySound(image, flags);
}
inline MMRESULT waveOutSetVolume(DWORD device, DWORD volume) {
    return Installed().sound->waveOutSetVolume(device, volume);
}
inline MMRESULT waveOutGetVolume(DWORD device, DWORD* volume) {
    return Installed().sound->waveOutGetVolume(device, volume);
}
inline DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length, BOOL update) {
    return Installed().power->GetSystemPowerStatusEx2(status, length, update);
}
inline BOOL TouchCalibrate() {
    return Installed().touch->TouchCalibrate();
}
inline LONG RegOpenKeyEx(HKEY root, std::string_view subKey, DWORD options, DWORD access,
                         HKEY* key) {
    return Installed().registry->RegOpenKeyEx(root, subKey, options, access, key);
}
inline LONG RegQueryValueEx(HKEY key, std::string_view name, DWORD* type, BYTE* data, DWORD* size) {
    return Installed().registry->RegQueryValueEx(key, name, type, data, size);
}
inline LONG RegCloseKey(HKEY key) {
    return Installed().registry->RegCloseKey(key);
}
inline HANDLE ActivateDevice(std::string_view key, DWORD clientInfo) {
    return Installed().registry->ActivateDevice(key, clientInfo);
}
inline BOOL DeactivateDevice(HANDLE device) {
    return Installed().registry->DeactivateDevice(device);
}
// timeGetTime: the low 32 bits of the millisecond clock.
inline DWORD timeGetTime() {
    return static_cast<DWORD>(Installed().clock->NowMs());
}
inline int MessageBox(std::string_view text, std::string_view caption, UINT type) {
    return Installed().prompt->MessageBox(text, caption, type);
}

}  // namespace platform
