// Address space (register and flash mappings) and the local heap.
#include <new>

#include "unit_impl.h"

namespace host::unit {

using namespace platform;

void* VirtualUnit::VirtualAlloc(void* address, DWORD size, DWORD type, DWORD protect) {
    if (auto code = impl_->kernelFaults.Find("virtualalloc", size)) {
        SetLastError(*code);
        return nullptr;
    }
    if (address != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* out = nullptr;
    if (DWORD err = impl_->registers.Reserve(size, type, protect, &out); err != ERROR_SUCCESS) {
        SetLastError(err);
        return nullptr;
    }
    return out;
}

BOOL VirtualUnit::VirtualCopy(void* destination, std::uint32_t kernelAddress, DWORD size,
                              DWORD protect) {
    if (auto code = impl_->kernelFaults.Find("virtualcopy", kernelAddress)) {
        return Impl::Fail(*code);
    }
    if (DWORD err = impl_->registers.Map(destination, kernelAddress, size, protect);
        err != ERROR_SUCCESS) {
        return Impl::Fail(err);
    }
    return TRUE;
}

BOOL VirtualUnit::VirtualFree(void* address, DWORD size, DWORD type) {
    const std::uint32_t mapped = impl_->registers.MappedBlockAt(address);
    if (auto code = mapped != 0 ? impl_->kernelFaults.Find("virtualfree", mapped)
                                : impl_->kernelFaults.Find("virtualfree")) {
        return Impl::Fail(*code);
    }
    if ((type & MEM_RELEASE) == 0 || size != 0) {
        return Impl::Fail(ERROR_INVALID_PARAMETER);
    }
    if (DWORD err = impl_->registers.Release(address); err != ERROR_SUCCESS) {
        return Impl::Fail(err);
    }
    return TRUE;
}

void* VirtualUnit::LocalAlloc(DWORD /*flags*/, std::size_t bytes) {
    if (auto code = impl_->kernelFaults.Find("localalloc")) {
        SetLastError(*code);
        return nullptr;
    }
    // Always zero-filled: LPTR asks for it, and fixed blocks lose nothing.
    std::unique_ptr<std::byte[]> block;
    try {
        block = std::make_unique<std::byte[]>(bytes == 0 ? 1 : bytes);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* p = block.get();
    std::lock_guard lock(impl_->localMutex);
    impl_->locals.emplace(p, std::move(block));
    return p;
}

void* VirtualUnit::LocalFree(void* memory) {
    if (memory == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(impl_->localMutex);
    if (impl_->locals.erase(memory) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    return nullptr;
}

}  // namespace host::unit
