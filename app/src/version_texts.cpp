#include "app/version_texts.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "devices/inf1.h"
#include "platform/api.h"
#include "platform/handle.h"

namespace {

constexpr std::size_t kIniBytes = 128;
constexpr std::size_t kFactoryCodeBytes = 16;

platform::HANDLE OpenForReading(const char* path) {
    return platform::CreateFile(path, platform::GENERIC_READ,
                                platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                platform::OPEN_EXISTING, 0);
}

}  // namespace

int ReadSystemVersion(std::string& text) {
    const platform::UniqueHandle info(platform::CreateFile(
        kInfDeviceName, platform::GENERIC_READ | platform::GENERIC_WRITE,
        platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, platform::OPEN_EXISTING, 0));
    if (!info.valid()) {
        text = "System version : ----";
        return -1;
    }
    std::uint32_t version = 0;
    platform::DWORD returned = 0;
    if (platform::DeviceIoControl(info.get(), VESK_INFO_IOCTL_GET_SYSTEM_VERSION, nullptr, 0,
                                  &version, sizeof version, &returned) == platform::FALSE) {
        text = "System version : ----\r\n";
        return -1;
    }
    text = platform::Format("System version : %u.%u\r\n", SystemVersionMajor(version),
                            SystemVersionMinor(version));
    return 0;
}

int ReadAppIni(std::string& text) {
    const platform::UniqueHandle file(OpenForReading("\\windows\\VeskApp.ini"));
    if (!file.valid()) {
        return -1;
    }
    std::array<std::uint8_t, kIniBytes> buffer{};
    platform::DWORD read = 0;
    if (platform::ReadFile(file.get(), buffer.data(), kIniBytes, &read) != platform::FALSE) {
        text = platform::WidenCodePage(buffer.data(), std::min<std::size_t>(read, kIniBytes));
    } else {
        text = "\r\n";
    }
    return 0;
}

int ReadFactoryCode(std::string& text) {
    const platform::UniqueHandle file(OpenForReading("\\Mounted Volume2\\VESKFCODE.bin"));
    if (!file.valid()) {
        text = "Not Found!!";
        return -1;
    }
    std::array<std::uint8_t, kFactoryCodeBytes> b{};
    platform::DWORD read = 0;
    if (platform::ReadFile(file.get(), b.data(), kFactoryCodeBytes, &read) != platform::FALSE) {
        text = platform::Format("%02X%02X%02X%02X-%02X%02X%02X%02X", b[0], b[1], b[2], b[3], b[4],
                                b[5], b[6], b[7]);
    } else {
        text = "xxxxxxxxx-xxxxxxxx";
    }
    return 0;
}

std::string NaviFileEntry(const platform::WIN32_FIND_DATA& entry) {
    const auto size =
        static_cast<long long>((std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
    platform::SYSTEMTIME t;
    if (platform::FileTimeToSystemTime(entry.ftLastWriteTime, &t) == platform::FALSE) {
        return platform::Format("%s \r\n  --/--/---- --:--:--  %10lldbyte\r\n",
                                entry.cFileName.c_str(), size);
    }
    return platform::Format("%s \r\n  %02d/%02d/%04d %02d:%02d:%02d  %10lldbyte\r\n",
                            entry.cFileName.c_str(), t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute,
                            t.wSecond, size);
}

int ReadNaviListing(std::string& text) {
    platform::WIN32_FIND_DATA entry;
    {
        const platform::UniqueFind exe(
            platform::FindFirstFile("\\Mounted Volume\\Vesk\\PLOVA\\PLOVA.EXE", &entry));
        text = exe.valid() ? NaviFileEntry(entry) : "PLOVA.EXE not find!!";
    }
    const platform::UniqueFind maps(
        platform::FindFirstFile("\\Mounted Volume\\Vesk\\*.map", &entry));
    if (maps.valid()) {
        do {
            text += NaviFileEntry(entry);
        } while (platform::FindNextFile(maps.get(), &entry) != platform::FALSE);
    }
    return 0;
}
