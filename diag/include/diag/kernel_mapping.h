// A kernel virtual range (registers, the NOR flash) mapped read/write and
// uncached into address space reserved for it. The reservation is released
// when the object goes, unless it was released or handed over before.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

class KernelMapping {
  public:
    KernelMapping() = default;
    ~KernelMapping();
    KernelMapping(const KernelMapping&) = delete;
    KernelMapping& operator=(const KernelMapping&) = delete;

    // Reserves size bytes with no access; false with the last error set.
    bool Reserve(platform::DWORD size);
    // Maps the kernel range at kernelAddress over the whole reservation.
    bool Map(std::uint32_t kernelAddress);
    // Releases the reservation: VirtualFree's result, TRUE when none is held.
    platform::BOOL Release();
    // The mapped block, now the caller's to release; null when not mapped.
    void* Detach();

    [[nodiscard]] void* Address() const { return address_; }
    [[nodiscard]] bool Mapped() const { return mapped_; }
    [[nodiscard]] platform::DWORD Size() const { return size_; }

  private:
    void* address_ = nullptr;
    platform::DWORD size_ = 0;
    bool mapped_ = false;
};

// Releases a block taken with Detach; VirtualFree's result.
platform::BOOL ReleaseMapping(const volatile void* address);
