// Address space and the local heap: real, except the mapping of the unit's
// kernel addresses, which a PC does not have.
#include "pc_path.h"
#include "platform/utf16.h"
#include "win32_api.h"
#include "win32_error.h"
#include "win32_kernel.h"

namespace win32::pc {

Win32Kernel::Win32Kernel(std::string root, Options options)
    : root_(std::move(root)),
      guard_(platform::utf16::FromUtf8(JoinPcPath(root_, "")).value_or(L"")),
      options_(std::move(options)) {}

void* Win32Kernel::VirtualAlloc(void* address, platform::DWORD size, platform::DWORD type,
                                platform::DWORD protect) {
    void* p = ::VirtualAlloc(address, size, type, protect);
    if (p == nullptr) {
        TakeLastError();
    }
    return p;
}

platform::BOOL Win32Kernel::VirtualCopy(void* /*destination*/, std::uint32_t /*kernelAddress*/,
                                        platform::DWORD /*size*/, platform::DWORD /*protect*/) {
    Fail(kNoDesktopCounterpart);
    return FALSE;
}

platform::BOOL Win32Kernel::VirtualFree(void* address, platform::DWORD size, platform::DWORD type) {
    if (!::VirtualFree(address, size, type)) {
        TakeLastError();
        return FALSE;
    }
    return TRUE;
}

void* Win32Kernel::LocalAlloc(platform::DWORD flags, std::size_t bytes) {
    void* p = ::LocalAlloc(flags, bytes);
    if (p == nullptr) {
        TakeLastError();
    }
    return p;
}

void* Win32Kernel::LocalFree(void* memory) {
    void* left = ::LocalFree(memory);
    if (left != nullptr) {
        TakeLastError();
    }
    return left;
}

}  // namespace win32::pc
