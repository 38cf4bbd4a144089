// The storage check's text from the card's identify record and the volume
// sizes.
#pragma once

#include <cstdint>
#include <string>

#include "devices/dsk1.h"

// The five identify lines; record holds at least kIdentifyFieldBytes bytes
// (the reply of kStorageReplyBytes is zero-filled before the driver writes
// it).
std::string FormatStorageIdentify(const std::uint8_t* record);
// "TotalSize:%d[MB]\r\nFreeSize:%d[MB]\r\n" in whole (truncated) MB.
std::string FormatStorageSizes(std::uint64_t totalBytes, std::uint64_t freeBytes);
