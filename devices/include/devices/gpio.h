// The GPIO register block, mapped with VirtualCopy at its kernel address.
// Each register is a group of 32-bit words, one bit a pin: pins 0 to 31 in
// the group's first word, 32 to 63 in the next, 64 to 95 in the third.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

inline constexpr std::uint32_t kGpioAddress = 0xA7000000U;
inline constexpr platform::DWORD kGpioBytes = 0x6C;
inline constexpr int kGpioPins = 96;

// Registers: byte offsets of each group's first word.
inline constexpr std::uint32_t kGpioPinLevel = 0x00;     // 1 while the pin is high
inline constexpr std::uint32_t kGpioFallingEdge = 0x3C;  // falling-edge detection enabled
inline constexpr std::uint32_t kGpioEdgeStatus = 0x48;   // edge detected; a 1 written clears it

// Pins.
inline constexpr int kPowerKeyPin = 0;  // high while POWER is held
inline constexpr int kGuideKeyPin = 2;  // high while GUIDE is held
inline constexpr int kVariantPin = 38;  // high on Corvin, low on Tamsel

// A pin's word within a register group (in bytes) and its bit in that word.
constexpr std::uint32_t GpioPinWordOffset(int pin) {
    return static_cast<std::uint32_t>(pin / 32) * 4;
}
constexpr std::uint32_t GpioPinMask(int pin) {
    return 1U << (pin % 32);
}

// Whether a pin is high, read from the block mapped at `block`.
inline bool GpioPinHigh(const volatile std::uint32_t* block, int pin) {
    return (block[(kGpioPinLevel + GpioPinWordOffset(pin)) / 4] & GpioPinMask(pin)) != 0;
}
