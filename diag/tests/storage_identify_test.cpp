// The storage check's identify lines and sizes.
#include <array>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "diag/storage_identify.h"

namespace {

struct IdentifyCase {
    const char* name;
    std::array<std::uint8_t, 15> record;
    const char* expected;
};

TEST(StorageIdentify, Lines) {
    const IdentifyCase cases[] = {
        {"full record",
         {0x03, 'S', 'D', 'S', 'D', '0', '1', 'G', 0x94, 0x80, 0x11, 0x2C, 0x7E, 0x00, 0x62},
         "ManufactureID:0x03\r\nOemID:SD\r\nProductName:SD01G\r\n"
         "ProductVersion:0x80112c7e\r\nManufactureDate:0x0062\r\n"},
        {"name ends at a zero byte, OEM id empty",
         {0xAB, 0x00, 'X', 'A', 'B', 0x00, 'C', 'D', 'E', 0x01, 0x02, 0x03, 0x04, 0xFF, 0x0A},
         "ManufactureID:0xab\r\nOemID:\r\nProductName:AB\r\n"
         "ProductVersion:0x01020304\r\nManufactureDate:0xff0a\r\n"},
        {"no zero: names stop at their length; byte 8 is never shown",
         {0x00, 'O', 'E', 'N', 'A', 'M', 'E', 'S', 'Z', 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
         "ManufactureID:0x00\r\nOemID:OE\r\nProductName:NAMES\r\n"
         "ProductVersion:0x00000000\r\nManufactureDate:0x0000\r\n"},
        {"single-byte text through the code page",
         {0x01, 0xC9, 'a', 0xE9, 0x80, 'z', 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
         "ManufactureID:0x01\r\nOemID:\xC3\x89"
         "a\r\nProductName:\xC3\xA9\xE2\x82\xAC"
         "z\r\n"
         "ProductVersion:0x00000000\r\nManufactureDate:0x0000\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatStorageIdentify(c.record.data()), c.expected);
    }
}

TEST(StorageIdentify, SizesAreTruncatedMegabytes) {
    EXPECT_EQ(FormatStorageSizes(1048575, 0), "TotalSize:0[MB]\r\nFreeSize:0[MB]\r\n");
    EXPECT_EQ(FormatStorageSizes(1048576, 2097151), "TotalSize:1[MB]\r\nFreeSize:1[MB]\r\n");
    EXPECT_EQ(FormatStorageSizes(1015234560, 806879232),
              "TotalSize:968[MB]\r\nFreeSize:769[MB]\r\n");
    // Shown as a signed 32-bit number.
    EXPECT_EQ(FormatStorageSizes(std::uint64_t{0x80000000} * 1024 * 1024, 0),
              "TotalSize:-2147483648[MB]\r\nFreeSize:0[MB]\r\n");
}

}  // namespace
