// Error translation of the backend, in one place: Win32 codes reach the
// system unchanged through the platform's per-thread last error, and the
// few cases where the backend decides the code itself are named here.
#pragma once

#include "platform/win_types.h"

namespace win32::pc {

// A failed CreateFile or FindFirstFile.
inline constexpr platform::HANDLE kInvalidHandle = -1;

// What the calls without a desktop counterpart (VirtualCopy, the device
// manager, TouchCalibrate) fail with.
inline constexpr platform::DWORD kNoDesktopCounterpart = platform::ERROR_CALL_NOT_IMPLEMENTED;

// A unit path that could leave the root, or is not valid UTF-8.
inline constexpr platform::DWORD kBadUnitPath = platform::ERROR_PATH_NOT_FOUND;

// A unit stream driver ("GPS1:", "DSK1:" ...) that a PC does not have.
inline constexpr platform::DWORD kNoSuchDevice = platform::ERROR_FILE_NOT_FOUND;

// A handle the backend did not give out, of the wrong kind, or closed.
inline constexpr platform::DWORD kBadHandle = platform::ERROR_INVALID_HANDLE;

// Device control codes of the unit's drivers mean nothing to a PC's driver.
inline constexpr platform::DWORD kNoSuchControl = platform::ERROR_INVALID_FUNCTION;

// How wine ends an overlapped serial read on its time-out (STATUS_TIMEOUT,
// which Windows counts as success): a read that ran out of time ended well,
// with what came.
inline constexpr platform::DWORD kSerialTimedOut = platform::ERROR_TIMEOUT;

// The failed Win32 call's own code becomes the platform's last error.
void TakeLastError();
// The backend's own verdict becomes the platform's last error.
void Fail(platform::DWORD code);

}  // namespace win32::pc
