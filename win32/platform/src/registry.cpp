// The registry on the PC's HKEY_LOCAL_MACHINE, and the device manager,
// which a PC does not have.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/utf16.h"
#include "registry_value.h"
#include "win32_api.h"
#include "win32_error.h"
#include "win32_services.h"

namespace win32::pc {

namespace {

// The platform spells HKEY_LOCAL_MACHINE without Win32's sign extension.
constexpr platform::HKEY kLocalMachine = static_cast<platform::HKEY>(0x80000002U);

::HKEY ToWin32(platform::HKEY key) {
    return reinterpret_cast<::HKEY>(key);  // NOLINT(performance-no-int-to-ptr)
}

bool IsText(::DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

platform::LONG Win32Registry::RegOpenKeyEx(platform::HKEY root, std::string_view subKey,
                                           platform::DWORD options, platform::DWORD access,
                                           platform::HKEY* key) {
    if (key == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    ::HKEY parent = nullptr;
    if (root == kLocalMachine) {
        parent = HKEY_LOCAL_MACHINE;
    } else {
        std::lock_guard lock(mutex_);
        if (!open_.contains(root)) {
            return ERROR_INVALID_HANDLE;
        }
        parent = ToWin32(root);
    }
    const std::optional<std::wstring> name = platform::utf16::FromUtf8(subKey);
    if (!name) {
        return ERROR_FILE_NOT_FOUND;
    }
    ::HKEY opened = nullptr;
    const LONG result = ::RegOpenKeyExW(parent, name->c_str(), options, access, &opened);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    *key = reinterpret_cast<platform::HKEY>(opened);
    std::lock_guard lock(mutex_);
    open_.insert(*key);
    return ERROR_SUCCESS;
}

platform::LONG Win32Registry::RegQueryValueEx(platform::HKEY key, std::string_view name,
                                              platform::DWORD* type, platform::BYTE* data,
                                              platform::DWORD* size) {
    {
        std::lock_guard lock(mutex_);
        if (!open_.contains(key)) {
            return ERROR_INVALID_HANDLE;
        }
    }
    if (data != nullptr && size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::optional<std::wstring> valueName = platform::utf16::FromUtf8(name);
    if (!valueName) {
        return ERROR_FILE_NOT_FOUND;
    }
    WholeValue value;
    const LONG result = ReadWholeValue(
        [&](::DWORD* kind, BYTE* bytes, ::DWORD* bytesSize) {
            return ::RegQueryValueExW(ToWin32(key), valueName->c_str(), nullptr, kind, bytes,
                                      bytesSize);
        },
        &value);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (type != nullptr) {
        *type = value.type;
    }
    std::vector<BYTE> out = std::move(value.data);
    if (IsText(value.type)) {
        // Text is UTF-16 in the PC's registry and UTF-8 for the system.
        std::wstring wide(out.size() / sizeof(wchar_t), L'\0');
        std::copy_n(out.begin(), wide.size() * sizeof(wchar_t),
                    reinterpret_cast<BYTE*>(wide.data()));
        std::wstring_view text(wide);
        while (!text.empty() && text.back() == L'\0') {
            text.remove_suffix(1);
        }
        std::string utf8 = platform::utf16::ToUtf8(text);
        utf8.push_back('\0');
        if (value.type == REG_MULTI_SZ) {
            utf8.push_back('\0');  // the list's own terminator
        }
        out.assign(utf8.begin(), utf8.end());
    }
    const auto outSize = static_cast<platform::DWORD>(out.size());
    if (size == nullptr) {
        return ERROR_SUCCESS;
    }
    if (data == nullptr) {
        *size = outSize;
        return ERROR_SUCCESS;
    }
    if (*size < outSize) {
        *size = outSize;
        return ERROR_MORE_DATA;
    }
    std::copy(out.begin(), out.end(), data);
    *size = outSize;
    return ERROR_SUCCESS;
}

platform::LONG Win32Registry::RegCloseKey(platform::HKEY key) {
    {
        std::lock_guard lock(mutex_);
        if (open_.erase(key) == 0) {
            return ERROR_INVALID_HANDLE;
        }
    }
    return ::RegCloseKey(ToWin32(key));
}

platform::HANDLE Win32Registry::ActivateDevice(std::string_view /*key*/,
                                               platform::DWORD /*clientInfo*/) {
    Fail(kNoDesktopCounterpart);
    return 0;
}

platform::BOOL Win32Registry::DeactivateDevice(platform::HANDLE /*device*/) {
    Fail(kNoDesktopCounterpart);
    return FALSE;
}

}  // namespace win32::pc
