#include "diag/kernel_mapping.h"

#include <utility>

#include "platform/api.h"

KernelMapping::~KernelMapping() {
    Release();
}

bool KernelMapping::Reserve(platform::DWORD size) {
    Release();
    address_ =
        platform::VirtualAlloc(nullptr, size, platform::MEM_RESERVE, platform::PAGE_NOACCESS);
    if (address_ == nullptr) {
        return false;
    }
    size_ = size;
    return true;
}

bool KernelMapping::Map(std::uint32_t kernelAddress) {
    if (address_ == nullptr) {
        return false;
    }
    mapped_ =
        platform::VirtualCopy(address_, kernelAddress, size_,
                              platform::PAGE_READWRITE | platform::PAGE_NOCACHE) != platform::FALSE;
    return mapped_;
}

platform::BOOL KernelMapping::Release() {
    if (address_ == nullptr) {
        return platform::TRUE;
    }
    void* address = std::exchange(address_, nullptr);
    size_ = 0;
    mapped_ = false;
    return platform::VirtualFree(address, 0, platform::MEM_RELEASE);
}

void* KernelMapping::Detach() {
    if (!mapped_) {
        return nullptr;
    }
    mapped_ = false;
    size_ = 0;
    return std::exchange(address_, nullptr);
}

platform::BOOL ReleaseMapping(const volatile void* address) {
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast): the block is ours to release
    return platform::VirtualFree(const_cast<void*>(address), 0, platform::MEM_RELEASE);
}
