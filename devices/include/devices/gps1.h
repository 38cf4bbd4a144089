// "GPS1:": the GPS receiver's stream driver. Opened read/write, exclusive,
// open-existing. Requests take no input buffer; see each code for its output.
#pragma once

#include <cstdint>

inline constexpr const char* kGpsDeviceName = "GPS1:";

// Succeeds when data may be ready, fails once reading is no longer possible
// (the handle was closed). No output.
inline constexpr std::uint32_t VESK_GPS_IOCTL_WAIT_DATA = 0;
// Output: a 4-byte unsigned count of bytes ready, zeroed by the caller; 0 is
// allowed.
inline constexpr std::uint32_t VESK_GPS_IOCTL_GET_DATA_SIZE = 1;
// Output: exactly the count from GET_DATA_SIZE, filled with the receiver's
// bytes in the order received.
inline constexpr std::uint32_t VESK_GPS_IOCTL_READ_DATA = 2;
// Output: 128 zero-filled bytes receiving the module's version as single-byte
// text ending at the first zero byte; with a bytes-returned counter.
inline constexpr std::uint32_t VESK_GPS_IOCTL_GET_GPS_VERSION = 4;
inline constexpr std::uint32_t kGpsVersionBufferSize = 128;
