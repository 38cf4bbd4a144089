// The storage check's text from the card's identify record and the volume
// sizes.
#pragma once

#include <cstdint>
#include <string>

// The identify reply: 80 bytes, zero-filled before the driver writes it.
inline constexpr std::uint32_t kStorageReplyBytes = 80;

// The five identify lines; record holds at least 15 bytes.
std::string FormatStorageIdentify(const std::uint8_t* record);
// "TotalSize:%d[MB]\r\nFreeSize:%d[MB]\r\n" in whole (truncated) MB.
std::string FormatStorageSizes(std::uint64_t totalBytes, std::uint64_t freeBytes);
