#include "register_space.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <bit>
#include <cstring>
#include <fstream>

namespace host::unit {

using platform::DWORD;
using platform::ERROR_INVALID_PARAMETER;
using platform::ERROR_NOT_ENOUGH_MEMORY;
using platform::ERROR_SUCCESS;

static_assert(std::endian::native == std::endian::little, "register words are little-endian");

namespace {

std::size_t PageSize() {
    return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::size_t RoundUp(std::size_t n) {
    const std::size_t page = PageSize();
    return (n + page - 1) / page * page;
}

std::uint32_t Xorshift(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

}  // namespace

RegisterSpace::~RegisterSpace() {
    for (auto& [base, r] : reservations_) {
        ::munmap(reinterpret_cast<void*>(base), r.length);
    }
    for (Block* b : {&gpio_, &intc_, &nor_}) {
        if (b->view != nullptr) {
            ::munmap(b->view, b->length);
        }
    }
}

std::string RegisterSpace::Create(Block& block) {
    block.length = RoundUp(block.info.size);
    block.fd.reset(::memfd_create(block.info.name, MFD_CLOEXEC));
    if (!block.fd.valid() || ::ftruncate(block.fd.get(), static_cast<off_t>(block.length)) != 0) {
        return std::string("cannot create the memory of the ") + block.info.name + " block";
    }
    void* view =
        ::mmap(nullptr, block.length, PROT_READ | PROT_WRITE, MAP_SHARED, block.fd.get(), 0);
    if (view == MAP_FAILED) {
        return std::string("cannot map the ") + block.info.name + " block";
    }
    block.view = static_cast<std::byte*>(view);
    return {};
}

std::string RegisterSpace::Init() {
    for (Block* b : {&gpio_, &intc_, &nor_}) {
        if (auto err = Create(*b); !err.empty()) {
            return err;
        }
    }
    return {};
}

void RegisterSpace::FillNorOnce() {
    std::call_once(norFilled_, [this] {
        const std::size_t words = kNorBlock.size / 2;
        std::size_t filled = 0;
        if (!norImage_.empty()) {
            std::ifstream in(norImage_, std::ios::binary);
            in.read(reinterpret_cast<char*>(nor_.view), kNorBlock.size);
            const auto got = static_cast<std::size_t>(in.gcount());
            if (got % 2 != 0) {
                // An odd last byte pairs with the high byte of a fill word.
                nor_.view[got] = static_cast<std::byte>(norFill_ >> 8);
            }
            filled = (got + 1) / 2;
        } else {
            std::uint32_t state = 0x4B455354U;
            for (; filled < kNorPatternWords; ++filled) {
                const auto w = static_cast<std::uint16_t>(Xorshift(state) & 0xFFFFU);
                std::memcpy(nor_.view + filled * 2, &w, 2);
            }
        }
        for (std::size_t i = filled; i < words; ++i) {
            std::memcpy(nor_.view + i * 2, &norFill_, 2);
        }
    });
}

RegisterSpace::Block* RegisterSpace::BlockOf(std::uint32_t kernelAddress, std::uint32_t size) {
    for (Block* b : {&gpio_, &intc_, &nor_}) {
        const std::uint64_t start = b->info.base;
        const std::uint64_t end = start + b->info.size;
        if (kernelAddress >= start && std::uint64_t{kernelAddress} + size <= end) {
            return b->view != nullptr ? b : nullptr;
        }
    }
    return nullptr;
}

std::optional<std::uint32_t> RegisterSpace::Read(std::uint32_t kernelAddress) {
    Block* b = BlockOf(kernelAddress, 4);
    if (b == nullptr || kernelAddress % 4 != 0) {
        return std::nullopt;
    }
    if (b == &nor_) {
        FillNorOnce();
    }
    std::uint32_t* word = b->WordAt(kernelAddress);
    return std::atomic_ref<std::uint32_t>(*word).load();
}

bool RegisterSpace::Write(std::uint32_t kernelAddress, std::uint32_t value) {
    Block* b = BlockOf(kernelAddress, 4);
    if (b == nullptr || kernelAddress % 4 != 0) {
        return false;
    }
    if (b == &nor_) {
        FillNorOnce();
    }
    std::uint32_t* word = b->WordAt(kernelAddress);
    std::atomic_ref<std::uint32_t>(*word).store(value);
    return true;
}

void RegisterSpace::SetBit(std::uint32_t kernelAddress, int bit, bool set) {
    Block* b = BlockOf(kernelAddress, 4);
    if (b == nullptr || kernelAddress % 4 != 0) {
        return;
    }
    std::uint32_t* word = b->WordAt(kernelAddress);
    const std::uint32_t mask = 1U << bit;
    if (set) {
        std::atomic_ref<std::uint32_t>(*word).fetch_or(mask);
    } else {
        std::atomic_ref<std::uint32_t>(*word).fetch_and(~mask);
    }
}

DWORD RegisterSpace::Reserve(DWORD size, DWORD type, DWORD protect, void** out) {
    if (size == 0 || (type & platform::MEM_RESERVE) == 0) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::size_t length = RoundUp(size);
    int prot = PROT_NONE;
    if ((type & platform::MEM_COMMIT) != 0 && (protect & platform::PAGE_READWRITE) != 0) {
        prot = PROT_READ | PROT_WRITE;
    }
    void* p = ::mmap(nullptr, length, prot, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    std::lock_guard lock(mutex_);
    reservations_[reinterpret_cast<std::uintptr_t>(p)] = Reservation{length, 0};
    *out = p;
    return ERROR_SUCCESS;
}

DWORD RegisterSpace::Map(void* destination, std::uint32_t kernelAddress, DWORD size,
                         DWORD protect) {
    const auto dest = reinterpret_cast<std::uintptr_t>(destination);
    if (size == 0 || dest % PageSize() != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    int prot = 0;
    if ((protect & platform::PAGE_READWRITE) != 0) {
        prot = PROT_READ | PROT_WRITE;
    } else if ((protect & platform::PAGE_READONLY) != 0) {
        prot = PROT_READ;
    } else {
        return ERROR_INVALID_PARAMETER;
    }
    Block* b = BlockOf(kernelAddress, size);
    if (b == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::size_t offset = kernelAddress - b->info.base;
    if (offset % PageSize() != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    if (b == &nor_) {
        FillNorOnce();
    }
    std::lock_guard lock(mutex_);
    auto it = reservations_.upper_bound(dest);
    if (it == reservations_.begin()) {
        return ERROR_INVALID_PARAMETER;
    }
    --it;
    const std::size_t length = RoundUp(size);
    if (dest + length > it->first + it->second.length) {
        return ERROR_INVALID_PARAMETER;
    }
    void* p = ::mmap(destination, length, prot, MAP_SHARED | MAP_FIXED, b->fd.get(),
                     static_cast<off_t>(offset));
    if (p == MAP_FAILED) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    it->second.mapped = b->info.base;
    return ERROR_SUCCESS;
}

std::uint32_t RegisterSpace::MappedBlockAt(void* address) {
    std::lock_guard lock(mutex_);
    auto it = reservations_.find(reinterpret_cast<std::uintptr_t>(address));
    return it == reservations_.end() ? 0 : it->second.mapped;
}

DWORD RegisterSpace::Release(void* address) {
    std::lock_guard lock(mutex_);
    auto it = reservations_.find(reinterpret_cast<std::uintptr_t>(address));
    if (it == reservations_.end()) {
        return ERROR_INVALID_PARAMETER;
    }
    ::munmap(address, it->second.length);
    reservations_.erase(it);
    return ERROR_SUCCESS;
}

int RegisterSpace::Reservations() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(reservations_.size());
}

}  // namespace host::unit
