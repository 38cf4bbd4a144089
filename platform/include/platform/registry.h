// The registry (HKEY_LOCAL_MACHINE only) and the device manager.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

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

}  // namespace platform
