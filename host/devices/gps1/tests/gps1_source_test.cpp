#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "gps1_test_support.h"
#include "host/gps1/unit_clock.h"
#include "host/unit/scheduler.h"
#include "host_stream.h"
#include "platform/last_error.h"
#include "pvsns.h"
#include "replay_plan.h"

namespace {

using namespace platform;
using gps1_test::Gps1Test;

constexpr auto kSourceSettle = std::chrono::seconds(10);

std::string Cycle(int second) {
    const std::string t = "1200" + std::string(second < 10 ? "0" : "") + std::to_string(second);
    return "$GPGGA," + t +
           ".00,3537.2345,N,13944.1234,E,1,08,0.9,12.0,M,,M,,*00\r\n"
           "$GPGSA,A,3,01,02,03,04,05,06,07,08,,,,,1.5,0.9,1.2*00\r\n"
           "$GPGSV,1,1,04,01,40,083,46,02,17,308,41,03,07,344,39,04,22,228,45*00\r\n"
           "$GPRMC," +
           t + ".00,A,3537.2345,N,13944.1234,E,10.0,123.4,311006,,,A*00\r\n";
}

const host::gps1::SensorValues kSensors{10005, -25, false, true};

// The cycle as the driver hands it over: with the unit's "$PVSNS" before
// its "$GPRMC".
std::string Delivered(int second) {
    std::string c = Cycle(second);
    c.insert(c.find("$GPRMC"), host::gps1::BuildPvsns(kSensors));
    return c;
}

class Gps1Replay : public Gps1Test {
  protected:
    void LoadTrack(const std::string& extra = "") {
        t.UnitFile("track.nmea", Cycle(0) + Cycle(1) + Cycle(2));
        Load(
            "[gps]\nsource = \"file\"\nfile = \"track.nmea\"\nbaud = 9600\ncycle_ms = 1000\n"
            "chunk_min = 8\nchunk_max = 40\npressure = \"1000.5\"\ngradient = \"-2.5\"\n"
            "dr = false\ncradle = true\n" +
            extra);
    }

    // Runs the clock to `to`, one deadline at a time, reading what each
    // step brought: one chunk per step.
    std::vector<std::string> ChunksUntil(HANDLE h, std::uint64_t to) {
        std::vector<std::string> chunks;
        host::unit::Scheduler& s = u().scheduler();
        for (;;) {
            EXPECT_TRUE(s.WaitQuiescent(kSourceSettle));
            const auto next = s.NextDeadline();
            if (!next || *next > to) {
                break;
            }
            s.AdvanceTo(*next);
            EXPECT_TRUE(s.WaitQuiescent(kSourceSettle));
            if (const DWORD n = Count(h); n > 0) {
                chunks.push_back(Read(h, n));
            }
        }
        s.AdvanceTo(to);
        return chunks;
    }

    static std::string Join(const std::vector<std::string>& chunks) {
        std::string all;
        for (const auto& c : chunks) {
            all += c;
        }
        return all;
    }
};

TEST_F(Gps1Replay, OneCycleAPeriodInChunksCutInsideSentences) {
    LoadTrack();
    const HANDLE h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);

    const auto first = ChunksUntil(h, 999);
    EXPECT_EQ(Join(first), Delivered(0));
    ASSERT_GE(first.size(), 3U);
    int insideSentence = 0;
    for (std::size_t i = 0; i + 1 < first.size(); ++i) {
        EXPECT_GE(first[i].size(), 8U);
        EXPECT_LE(first[i].size(), 40U);
        insideSentence += first[i].back() != '\n' ? 1 : 0;
    }
    EXPECT_GT(insideSentence, 0);

    EXPECT_EQ(Join(ChunksUntil(h, 1999)), Delivered(1));
    EXPECT_EQ(Join(ChunksUntil(h, 2999)), Delivered(2));
    EXPECT_EQ(Join(ChunksUntil(h, 3999)), Delivered(0)) << "the track starts again";
    u().CloseHandle(h);
}

TEST_F(Gps1Replay, TrackRunsOnWithTheClockWhileNobodyListens) {
    LoadTrack();
    HANDLE h = Open();
    ChunksUntil(h, 500);
    u().CloseHandle(h);
    // Nobody reads: once the cycle under way is over, the replay stops ticking.
    ASSERT_TRUE(host::gps1::RunUnitUntil(u(), 1500));
    EXPECT_FALSE(u().scheduler().NextDeadline().has_value());

    ASSERT_TRUE(host::gps1::RunUnitUntil(u(), 3500));
    h = Open();
    EXPECT_TRUE(ChunksUntil(h, 3999).empty()) << "the cycle under way is not sent";
    EXPECT_EQ(Join(ChunksUntil(h, 4999)), Delivered(1)) << "cycle 4 of a 3-cycle track";
    u().CloseHandle(h);
}

// The system may open and close GPS1: within one command while the replay
// wakes for the open: whichever runs first, the chunks after are the same.
TEST_F(Gps1Replay, AHandleClosedBeforeItsCycleStartsTakesNothingFromTheChunkPlan) {
    LoadTrack();
    ASSERT_TRUE(host::gps1::RunUnitUntil(u(), 1500));
    HANDLE h = Open();
    // The replay has seen the open and sleeps until the cycle at 2000.
    ASSERT_TRUE(u().scheduler().WaitQuiescent(kSourceSettle));
    u().CloseHandle(h);
    ASSERT_TRUE(host::gps1::RunUnitUntil(u(), 2500));
    h = Open();
    std::vector<std::size_t> sizes;
    for (const std::string& chunk : ChunksUntil(h, 3999)) {
        sizes.push_back(chunk.size());
    }
    host::gps1::ChunkSizer fresh;
    EXPECT_EQ(sizes, fresh.Split(Delivered(0).size(), 8, 40)) << "the first cycle sent";
    u().CloseHandle(h);
}

TEST_F(Gps1Replay, WithoutLoopTheTrackEnds) {
    LoadTrack("loop = false\n");
    const HANDLE h = Open();
    EXPECT_EQ(Join(ChunksUntil(h, 2999)), Delivered(0) + Delivered(1) + Delivered(2));
    EXPECT_TRUE(ChunksUntil(h, 10000).empty());
    EXPECT_FALSE(u().scheduler().NextDeadline().has_value());
    u().CloseHandle(h);
}

// The sensor values are read for every sentence made.
TEST_F(Gps1Replay, SensorValuesChangeAtRunTime) {
    LoadTrack();
    const HANDLE h = Open();
    ChunksUntil(h, 999);
    EXPECT_FALSE(u().Set("gps.pressure", "990.0").has_value());
    EXPECT_FALSE(u().Set("gps.cradle", "false").has_value());
    const std::string second = Join(ChunksUntil(h, 1999));
    EXPECT_NE(second.find(host::gps1::BuildPvsns({9900, -25, false, false})), std::string::npos);
    u().CloseHandle(h);
}

// Reads through GPS1: until `size` bytes have come, waiting in code 0.
std::string ReadAtLeast(gps1_test::Gps1Unit& g, HANDLE h, std::size_t size) {
    std::string got;
    while (got.size() < size) {
        if (g.u().DeviceIoControl(h, 0, nullptr, 0, nullptr, 0, nullptr) == FALSE) {
            ADD_FAILURE() << "wait failed with " << GetLastError();
            break;
        }
        got += g.ReadAll(h);
    }
    return got;
}

class Gps1HostSource : public Gps1Test {};

TEST_F(Gps1HostSource, SerialDeviceInRawModeAtItsSpeed) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    Load("[gps]\nsource = \"serial\"\ndevice = \"" + slave +
         "\"\nbaud = 4800\npressure = \"1000.5\"\ngradient = \"-2.5\"\ndr = false\n");

    const HANDLE h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    termios tio{};
    ASSERT_EQ(::tcgetattr(master, &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B4800));
    EXPECT_EQ(tio.c_lflag & ICANON, 0U);
    EXPECT_EQ(tio.c_iflag & ICRNL, 0U);

    const std::string in = Cycle(7);
    ASSERT_EQ(::write(master, in.data(), in.size()), static_cast<ssize_t>(in.size()));
    EXPECT_EQ(ReadAtLeast(*this, h, Delivered(7).size()), Delivered(7));
    EXPECT_EQ(u().CloseHandle(h), TRUE);

    // Each open starts the device again.
    const HANDLE again = Open();
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    u().CloseHandle(again);
    ::close(master);
}

TEST_F(Gps1HostSource, MissingSerialDeviceRefusesTheOpen) {
    Load("[gps]\nsource = \"serial\"\ndevice = \"/nonexistent/ttyGPS\"\n");
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Gps1HostSource, StandardInput) {
    std::array<int, 2> pipeFds{};
    ASSERT_EQ(::pipe(pipeFds.data()), 0);
    const int savedStdin = ::dup(STDIN_FILENO);
    ASSERT_GE(savedStdin, 0);
    ::dup2(pipeFds[0], STDIN_FILENO);
    Load("[gps]\nsource = \"stdin\"\npressure = \"1000.5\"\ngradient = \"-2.5\"\ndr = false\n");
    ::dup2(savedStdin, STDIN_FILENO);
    ::close(savedStdin);
    ::close(pipeFds[0]);

    const HANDLE h = Open();
    const std::string in = Cycle(3);
    ASSERT_EQ(::write(pipeFds[1], in.data(), in.size()), static_cast<ssize_t>(in.size()));
    EXPECT_EQ(ReadAtLeast(*this, h, Delivered(3).size()), Delivered(3));
    ::close(pipeFds[1]);
    u().CloseHandle(h);
}

}  // namespace
