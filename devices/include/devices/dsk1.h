// "DSK1:": the storage card. The identify request takes no input and fills
// an output of up to kStorageReplyBytes with the card's identify record.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

inline constexpr const char* kDskDeviceName = "DSK1:";

inline constexpr platform::DWORD kIdentifyCode = 0x72000;
inline constexpr std::uint32_t kStorageReplyBytes = 80;

// The record's fields: byte offsets, texts single-byte and not terminated.
inline constexpr std::size_t kIdentifyManufactureId = 0;  // 1 byte
inline constexpr std::size_t kIdentifyOemId = 1;          // kOemIdChars characters
inline constexpr std::size_t kOemIdChars = 2;
inline constexpr std::size_t kIdentifyProductName = 3;  // kProductNameChars characters
inline constexpr std::size_t kProductNameChars = 5;
inline constexpr std::size_t kIdentifyProductVersion = 9;    // 4 bytes
inline constexpr std::size_t kIdentifyManufactureDate = 13;  // 2 bytes
inline constexpr std::size_t kIdentifyFieldBytes = 15;       // the fields end here
