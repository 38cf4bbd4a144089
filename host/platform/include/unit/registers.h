// The unit's register blocks and NOR flash window, at the kernel virtual
// addresses the system maps with VirtualCopy.
#pragma once

#include <cstdint>

namespace unit {

struct RegisterBlock {
    const char* name;    // "gpio", "intc", "nor"
    std::uint32_t base;  // kernel virtual address
    std::uint32_t size;  // bytes
};

inline constexpr RegisterBlock kGpioBlock{"gpio", 0xA7000000U, 0x6CU};
inline constexpr RegisterBlock kIntcBlock{"intc", 0xA6F00000U, 0x18U};
inline constexpr RegisterBlock kNorBlock{"nor", 0xB8300000U, 0x1000000U};

// GPIO registers (32 bits each).
inline constexpr std::uint32_t kGpioLevel0 = 0x00;        // pins 0..31; 0x04 pins 32..63 ...
inline constexpr std::uint32_t kGpioFallingEdge0 = 0x3C;  // falling-edge detect enable
inline constexpr std::uint32_t kGpioEdgeStatus0 = 0x48;   // edge detect status
inline constexpr std::uint32_t kIntcIcmr = 0x04;          // interrupt mask

inline constexpr int kPowerKeyPin = 0;
inline constexpr int kGuideKeyPin = 2;
inline constexpr int kVariantPin = 38;  // 1 = Corvin, 0 = Tamsel

// The generated NOR pattern (no nor.image): 16-bit little-endian words; the
// first kNorPatternWords are the low halves of the xorshift32 sequence
// (x ^= x << 13; x ^= x >> 17; x ^= x << 5) from the seed 0x4B455354, and
// the rest of the flash is erased (0xFFFF). Its wrapping 16-bit word sum:
inline constexpr std::uint32_t kNorPatternWords = 0x200000;  // the first 4 MiB
inline constexpr std::uint16_t kNorPatternSum = 0x331D;

}  // namespace unit
