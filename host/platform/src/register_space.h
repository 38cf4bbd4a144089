// The register blocks and the NOR flash window, each backed by a memfd so
// that the unit's own view and every VirtualCopy mapping of the system share
// the same words; and the address-space reservations of VirtualAlloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "host/unit/registers.h"
#include "host/unit/unique_fd.h"
#include "platform/win_types.h"

namespace host::unit {

class RegisterSpace {
  public:
    RegisterSpace() = default;
    RegisterSpace(const RegisterSpace&) = delete;
    RegisterSpace& operator=(const RegisterSpace&) = delete;
    ~RegisterSpace();

    // Creates the backing memory; an error text when the host refuses.
    std::string Init();

    // NOR content: an image file (shorter images are padded with fill
    // words) or, with no image, the generated pattern. Read on first use.
    void SetNorImage(std::filesystem::path image) { norImage_ = std::move(image); }
    void SetNorFill(std::uint16_t fill) { norFill_ = fill; }

    // Host access to any 4-aligned word inside a block.
    [[nodiscard]] std::optional<std::uint32_t> Read(std::uint32_t kernelAddress);
    bool Write(std::uint32_t kernelAddress, std::uint32_t value);
    // Read-modify-write of one bit.
    void SetBit(std::uint32_t kernelAddress, int bit, bool set);

    // The system's side. Each returns ERROR_SUCCESS or the code to report.
    platform::DWORD Reserve(platform::DWORD size, platform::DWORD type, platform::DWORD protect,
                            void** out);
    platform::DWORD Map(void* destination, std::uint32_t kernelAddress, platform::DWORD size,
                        platform::DWORD protect);
    platform::DWORD Release(void* address);
    // The block mapped into the reservation at address (0 when none).
    std::uint32_t MappedBlockAt(void* address);
    int Reservations();

  private:
    struct Block {
        RegisterBlock info;
        UniqueFd fd;
        std::byte* view = nullptr;  // the unit's own MAP_SHARED view
        std::size_t length = 0;

        // The word at a 4-aligned address of the block: the view is page
        // aligned, so the word is too.
        std::uint32_t* WordAt(std::uint32_t kernelAddress) const {
            return static_cast<std::uint32_t*>(
                static_cast<void*>(view + (kernelAddress - info.base)));
        }
    };
    struct Reservation {
        std::size_t length = 0;
        std::uint32_t mapped = 0;  // kernel address of the mapped block
    };

    Block* BlockOf(std::uint32_t kernelAddress, std::uint32_t size);
    void FillNorOnce();
    std::string Create(Block& block);

    Block gpio_{kGpioBlock, {}, nullptr, 0};
    Block intc_{kIntcBlock, {}, nullptr, 0};
    Block nor_{kNorBlock, {}, nullptr, 0};
    std::filesystem::path norImage_;
    std::uint16_t norFill_ = 0xFFFF;
    std::once_flag norFilled_;

    std::mutex mutex_;
    std::map<std::uintptr_t, Reservation> reservations_;
};

}  // namespace host::unit
