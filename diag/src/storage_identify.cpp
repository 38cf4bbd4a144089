#include "diag/storage_identify.h"

#include "platform/text.h"

namespace {

int Megabytes(std::uint64_t bytes) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes / 1024 / 1024));
}

}  // namespace

std::string FormatStorageIdentify(const std::uint8_t* record) {
    const std::string oemId = platform::WidenCodePage(record + kIdentifyOemId, kOemIdChars);
    const std::string productName =
        platform::WidenCodePage(record + kIdentifyProductName, kProductNameChars);
    const std::uint8_t* version = record + kIdentifyProductVersion;
    const std::uint8_t* date = record + kIdentifyManufactureDate;
    std::string text =
        platform::Format("ManufactureID:0x%02x\r\n", unsigned{record[kIdentifyManufactureId]});
    text += platform::Format("OemID:%s\r\n", oemId.c_str());
    text += platform::Format("ProductName:%s\r\n", productName.c_str());
    text += platform::Format("ProductVersion:0x%02x%02x%02x%02x\r\n", unsigned{version[0]},
                             unsigned{version[1]}, unsigned{version[2]}, unsigned{version[3]});
    text +=
        platform::Format("ManufactureDate:0x%02x%02x\r\n", unsigned{date[0]}, unsigned{date[1]});
    return text;
}

std::string FormatStorageSizes(std::uint64_t totalBytes, std::uint64_t freeBytes) {
    return platform::Format("TotalSize:%d[MB]\r\nFreeSize:%d[MB]\r\n", Megabytes(totalBytes),
                            Megabytes(freeBytes));
}
