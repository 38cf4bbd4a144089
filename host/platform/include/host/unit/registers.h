// The unit's register blocks and NOR flash window (devices/gpio.h, intc.h,
// nor_flash.h), as the virtual unit backs them, and the flash's generated
// content.
#pragma once

#include <cstdint>

#include "devices/gpio.h"
#include "devices/intc.h"
#include "devices/nor_flash.h"

namespace host::unit {

struct RegisterBlock {
    const char* name;    // "gpio", "intc", "nor"
    std::uint32_t base;  // kernel virtual address
    std::uint32_t size;  // bytes
};

inline constexpr RegisterBlock kGpioBlock{"gpio", kGpioAddress, kGpioBytes};
inline constexpr RegisterBlock kIntcBlock{"intc", kIntcAddress, kIntcBytes};
inline constexpr RegisterBlock kNorBlock{"nor", kNorAddress, kNorBytes};

// The generated NOR pattern (no nor.image): 16-bit little-endian words; the
// first kNorPatternWords are the low halves of the xorshift32 sequence
// (x ^= x << 13; x ^= x >> 17; x ^= x << 5) from the seed 0x4B455354, and
// the rest of the flash is erased (0xFFFF). Its wrapping 16-bit word sum:
inline constexpr std::uint32_t kNorPatternWords = 0x200000;  // the first 4 MiB
inline constexpr std::uint16_t kNorPatternSum = 0x331D;

}  // namespace host::unit
