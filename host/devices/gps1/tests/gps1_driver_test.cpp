#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <atomic>
#include <cstring>
#include <string>

#include "gps1_test_support.h"
#include "host/unit/scheduler.h"
#include "host/unit/temp_dir.h"
#include "platform/last_error.h"

namespace {

using namespace platform;
using gps1_test::Gps1Test;

constexpr auto kSettle = std::chrono::seconds(10);

class Gps1Driver : public Gps1Test {};

TEST_F(Gps1Driver, HandsOverQueuedBytesInOrder) {
    Load("[gps]\nsource = \"none\"\n");
    driver->Feed("lost: nobody has the device open\r\n");
    const HANDLE h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Count(h), 0U);
    driver->Feed("$GPGGA,1");
    driver->Feed("23*00\r\n");
    ASSERT_EQ(Count(h), 15U);
    EXPECT_EQ(Read(h, 6), "$GPGGA");
    EXPECT_EQ(ReadAll(h), ",123*00\r\n");
    EXPECT_EQ(Count(h), 0U);
    u().CloseHandle(h);
}

TEST_F(Gps1Driver, RequestsWithUnfitBuffersFail) {
    Load("[gps]\nsource = \"none\"\n");
    const HANDLE h = Open();
    std::array<char, 4> small{};
    EXPECT_EQ(u().DeviceIoControl(h, 1, nullptr, 0, small.data(), 2, nullptr), FALSE);
    EXPECT_EQ(u().DeviceIoControl(h, 1, nullptr, 0, nullptr, 4, nullptr), FALSE);
    EXPECT_EQ(u().DeviceIoControl(h, 2, nullptr, 0, nullptr, 4, nullptr), FALSE);
    EXPECT_EQ(u().DeviceIoControl(h, 4, nullptr, 0, nullptr, 128, nullptr), FALSE);
    EXPECT_EQ(u().DeviceIoControl(h, 3, nullptr, 0, small.data(), 4, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    u().CloseHandle(h);
}

TEST_F(Gps1Driver, AQueueNobodyReadsKeepsItsNewestBytes) {
    Load("[gps]\nsource = \"none\"\n");
    const HANDLE h = Open();
    const std::string block(1000, 'x');
    for (int i = 0; i < 70; ++i) {
        driver->Feed(block);
    }
    driver->Feed("tail");
    ASSERT_EQ(Count(h), host::gps1::Gps1Driver::kQueueLimit);
    const std::string all = ReadAll(h);
    EXPECT_EQ(all.substr(all.size() - 4), "tail");
    u().CloseHandle(h);
}

TEST_F(Gps1Driver, VersionText) {
    struct Row {
        std::string version;
        std::string expected;  // the 128-byte buffer up to its first zero, or all of it
        DWORD returned;
    };
    const std::string full(128, 'V');
    const Row rows[] = {
        {"GSU-16 2.05", "GSU-16 2.05", 11},
        {"", "", 0},
        {full, full, 128},
        {full + "overflow", full, 128},
    };
    for (const Row& r : rows) {
        gps1_test::Gps1Unit row;
        row.Load("[gps]\nsource = \"none\"\nversion = \"" + r.version + "\"\n");
        const HANDLE h = row.Open();
        std::array<char, 129> buffer{};
        buffer[128] = '!';
        DWORD returned = 0xFFFF;
        ASSERT_EQ(row.u().DeviceIoControl(h, 4, nullptr, 0, buffer.data(), 128, &returned), TRUE);
        EXPECT_EQ(std::string(buffer.data(), strnlen(buffer.data(), 128)), r.expected);
        EXPECT_EQ(returned, r.returned);
        EXPECT_EQ(buffer[128], '!') << "written past the buffer";
        row.u().CloseHandle(h);
    }
}

// Code 0 waits through the unit's accounted primitive: a thread blocked in
// it leaves the unit quiescent, bytes wake it, closing the handle ends it.
TEST_F(Gps1Driver, WaitBlocksUntilBytesAndFailsOnceClosed) {
    Load("[gps]\nsource = \"none\"\n");
    const HANDLE h = Open();
    std::atomic<int> results{0};
    std::atomic<BOOL> first{-1};
    std::atomic<BOOL> second{-1};
    std::atomic<DWORD> secondError{0};
    const HANDLE thread = u().CreateThread(
        [&]() -> DWORD {
            first = u().DeviceIoControl(h, 0, nullptr, 0, nullptr, 0, nullptr);
            ++results;
            u().DeviceIoControl(h, 2, nullptr, 0, std::array<char, 3>{}.data(), 3, nullptr);
            second = u().DeviceIoControl(h, 0, nullptr, 0, nullptr, 0, nullptr);
            secondError = GetLastError();
            ++results;
            return 0;
        },
        3);
    ASSERT_NE(thread, 0);
    ASSERT_TRUE(u().scheduler().WaitQuiescent(kSettle));
    EXPECT_EQ(results.load(), 0) << "returned without bytes";
    EXPECT_EQ(u().LiveSystemThreads(), 1);

    driver->Feed("abc");
    ASSERT_TRUE(u().scheduler().WaitQuiescent(kSettle));
    EXPECT_EQ(results.load(), 1);
    EXPECT_EQ(first.load(), TRUE);

    EXPECT_EQ(u().CloseHandle(h), TRUE);
    EXPECT_EQ(u().WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(results.load(), 2);
    EXPECT_EQ(second.load(), FALSE);
    EXPECT_EQ(secondError.load(), ERROR_INVALID_HANDLE);
    u().CloseHandle(thread);
    EXPECT_EQ(driver->OpenCount(), 0);
}

TEST_F(Gps1Driver, AbsentAndFailingOnDemand) {
    Load("[gps]\nsource = \"none\"\nabsent = true\n[gps.fail]\n\"ioctl:0x1\" = 31\n");
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    u().SetDeviceAbsent("GPS1:", false);
    const HANDLE h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_EQ(u().DeviceIoControl(h, 1, nullptr, 0, &n, sizeof n, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), 31U);
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE) << "opened without sharing";
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    u().CloseHandle(h);
}

TEST_F(Gps1Driver, ConfigurationErrorsNameTheKey) {
    struct Row {
        const char* toml;
        const char* key;
    };
    const Row rows[] = {
        {"[gps]\nsource = \"file\"\nfile = \"missing.nmea\"\n", "gps.file"},
        // A device is never read to its end.
        {"[gps]\nsource = \"file\"\nfile = \"/dev/zero\"\n", "gps.file"},
        {"[gps]\nsource = \"file\"\nfile = \".\"\n", "gps.file"},
        {"[gps]\nsource = \"file\"\n", "gps.file"},
        {"[gps]\nsource = \"serial\"\n", "gps.device"},
        {"[gps]\nsource = \"radio\"\n", "gps.source"},
        {"[gps]\nbaud = 1234\n", "gps.baud"},
        {"[gps]\npressure = \"1013.25\"\n", "gps.pressure"},
        {"[gps]\npressure = \"-1.0\"\n", "gps.pressure"},
        {"[gps]\ngradient = \"3300\"\n", "gps.gradient"},
        {"[gps]\nchunk_min = 0\n", "gps.chunk_min"},
        {"[gps]\ngpsd = \"localhost:0\"\n", "gps.gpsd"},
        {"[gps]\ngpsd = \"localhost:gpsd\"\n", "gps.gpsd"},
        {"[gps]\ngpsd = \"::1:2947\"\n", "gps.gpsd"},  // IPv6 needs its brackets
        {"[gps]\ngpsd = \":2947\"\n", "gps.gpsd"},
    };
    for (const Row& r : rows) {
        host::unit::TestUnit bad({Gps1ComponentKind()});
        bad.Toml(r.toml);
        EXPECT_FALSE(bad.Load()) << r.toml;
        EXPECT_NE(bad.error().find(r.key), std::string::npos) << bad.error();
    }
    // A FIFO is refused unread: reading it would wait for a writer.
    const auto folder = host::unit::TempDir::Create("kestrin-fifo-");
    ASSERT_TRUE(folder);
    const auto fifo = folder->path() / "track.nmea";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    host::unit::TestUnit piped({Gps1ComponentKind()});
    piped.Toml("[gps]\nsource = \"file\"\nfile = \"" + fifo.string() + "\"\n");
    EXPECT_FALSE(piped.Load());
    EXPECT_NE(piped.error().find("gps.file: cannot read " + fifo.string() + ": a FIFO, not a file"),
              std::string::npos)
        << piped.error();
}

}  // namespace
