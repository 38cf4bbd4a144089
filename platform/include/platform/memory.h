// Memory: the address space, where hardware registers are mapped, and the
// local heap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

namespace platform {

class Memory {
  public:
    Memory() = default;
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;
    virtual ~Memory() = default;

    // Reserve, map a kernel virtual range into the reservation, release.
    // kernelAddress is the target's physical-window address (0xA7000000 for
    // the GPIO block, ...).
    virtual void* VirtualAlloc(void* address, DWORD size, DWORD type, DWORD protect) = 0;
    virtual BOOL VirtualCopy(void* destination, std::uint32_t kernelAddress, DWORD size,
                             DWORD protect) = 0;
    virtual BOOL VirtualFree(void* address, DWORD size, DWORD type) = 0;

    // LPTR gives zero-filled memory. LocalFree returns null on success.
    virtual void* LocalAlloc(DWORD flags, std::size_t bytes) = 0;
    virtual void* LocalFree(void* memory) = 0;
};

}  // namespace platform
