#include "diag/storage_identify.h"

#include "platform/text.h"

namespace {

constexpr std::size_t kOemIdChars = 2;
constexpr std::size_t kProductNameChars = 5;

int Megabytes(std::uint64_t bytes) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes / 1024 / 1024));
}

}  // namespace

std::string FormatStorageIdentify(const std::uint8_t* record) {
    const std::string oemId = platform::WidenCodePage(record + 1, kOemIdChars);
    const std::string productName = platform::WidenCodePage(record + 3, kProductNameChars);
    std::string text = platform::Format("ManufactureID:0x%02x\r\n", unsigned{record[0]});
    text += platform::Format("OemID:%s\r\n", oemId.c_str());
    text += platform::Format("ProductName:%s\r\n", productName.c_str());
    text += platform::Format("ProductVersion:0x%02x%02x%02x%02x\r\n", unsigned{record[9]},
                             unsigned{record[10]}, unsigned{record[11]}, unsigned{record[12]});
    text += platform::Format("ManufactureDate:0x%02x%02x\r\n", unsigned{record[13]},
                             unsigned{record[14]});
    return text;
}

std::string FormatStorageSizes(std::uint64_t totalBytes, std::uint64_t freeBytes) {
    return platform::Format("TotalSize:%d[MB]\r\nFreeSize:%d[MB]\r\n", Megabytes(totalBytes),
                            Megabytes(freeBytes));
}
