// The registry, address space, local memory and threads.
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "conformance/backend_fixture.h"
#include "devices/gpio.h"
#include "devices/nor_flash.h"

namespace conformance {
namespace {

using namespace platform;

std::string Key(const std::string& below) {
    return std::string(kRegistryRoot) + "\\" + below;
}

class ConformanceRegistryMemoryThreads : public ConformanceTest {};

TEST_F(ConformanceRegistryMemoryThreads, RegistryOpenQueryAndMissingParts) {
    ASSERT_TRUE(Start({.registry = {{"Active\\12", "Hnd", std::nullopt, 0x1234},
                                    {"Active\\12", "Name", std::string("GPS1:"), 0}}}));
    HKEY missing = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, Key("Active\\13"), 0, KEY_QUERY_VALUE, &missing),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));

    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, Key("active\\12"), 0, KEY_QUERY_VALUE, &key), 0);
    DWORD type = 0;
    DWORD handle = 0;
    DWORD size = sizeof handle;
    EXPECT_EQ(RegQueryValueEx(key, "hnd", &type, reinterpret_cast<BYTE*>(&handle), &size), 0);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(handle, 0x1234U);
    EXPECT_EQ(size, 4U);

    // Text: the size first, a short buffer, then the value.
    size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 6U);
    char text[16] = {};
    size = 3;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, reinterpret_cast<BYTE*>(text), &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 6U);
    size = sizeof text;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, reinterpret_cast<BYTE*>(text), &size), 0);
    EXPECT_EQ(std::string(text, size), std::string("GPS1:") + '\0');

    size = sizeof handle;
    EXPECT_EQ(RegQueryValueEx(key, "Missing", nullptr, reinterpret_cast<BYTE*>(&handle), &size),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(ConformanceRegistryMemoryThreads, AddressSpaceAndLocalMemory) {
    ASSERT_TRUE(Start({}));
    void* reservation = VirtualAlloc(nullptr, kNorBytes, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(reservation, nullptr);
    const BOOL mapped =
        VirtualCopy(reservation, kGpioAddress, kGpioBytes, PAGE_READWRITE | PAGE_NOCACHE);
    if (B().Desktop()) {
        // Desktop exception: a PC has no kernel addresses of the unit to map.
        EXPECT_FALSE(mapped);
        EXPECT_EQ(GetLastError(), ERROR_CALL_NOT_IMPLEMENTED);
    } else {
        // The unit maps its GPIO block into the reservation.
        EXPECT_TRUE(mapped);
    }
    EXPECT_TRUE(VirtualFree(reservation, 0, MEM_RELEASE));

    auto* block = static_cast<unsigned char*>(LocalAlloc(LPTR, 64));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::count(block, block + 64, 0), 64);
    EXPECT_EQ(LocalFree(block), nullptr);
}

TEST_F(ConformanceRegistryMemoryThreads, ThreadsWaitsAndLastErrorPerThread) {
    ASSERT_TRUE(Start({}));
    std::atomic<bool> release{false};
    std::atomic<DWORD> errorSeenByThread{0};
    SetLastError(77);
    const HANDLE h = CreateThread(
        [&]() -> DWORD {
            errorSeenByThread = GetLastError();
            SetLastError(88);
            while (!release.load()) {
                std::this_thread::yield();
            }
            return 5;
        },
        3);
    ASSERT_NE(h, 0);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
    release = true;
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(errorSeenByThread.load(), 0U);
    EXPECT_EQ(GetLastError(), 77U);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace conformance
