// "COM7:" as the tuner module's link relies on it, against a far end the
// test holds (each far end the backend offers). Real time: the bounds are
// generous, the orders are exact.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "conformance/backend_fixture.h"
#include "platform/handle.h"

namespace conformance {
namespace {

using namespace platform;
using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

constexpr DWORD kMaxDword = 0xFFFFFFFFU;
// How long bytes may take to cross the line (a pseudo-terminal, or two
// joined by socat under wine).
constexpr int kCrossingMs = 2000;

class ConformanceSerial : public ConformanceTest,
                          public ::testing::WithParamInterface<std::string> {
  protected:
    // Starts the backend with COM7: wired, and opens it as the console does.
    bool OpenLine() {
        if (!Start({.serial = GetParam()})) {
            return false;
        }
        if (const auto why = B().SerialUnavailable()) {
            skipped_ = *why;
            return false;
        }
        port_ =
            UniqueHandle(CreateFile("COM7:", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0));
        EXPECT_TRUE(port_.valid()) << "error " << GetLastError();
        DCB dcb;
        EXPECT_TRUE(GetCommState(port_.get(), &dcb));
        dcb.BaudRate = CBR_38400;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        EXPECT_TRUE(SetCommState(port_.get(), dcb));
        return port_.valid();
    }
    void SetReadTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
        COMMTIMEOUTS t;
        ASSERT_TRUE(GetCommTimeouts(port_.get(), &t));
        t.ReadIntervalTimeout = interval;
        t.ReadTotalTimeoutMultiplier = multiplier;
        t.ReadTotalTimeoutConstant = constant;
        ASSERT_TRUE(SetCommTimeouts(port_.get(), t));
    }
    DWORD Queued() {
        DWORD errors = 0;
        COMSTAT status;
        EXPECT_TRUE(ClearCommError(port_.get(), &errors, &status));
        return status.cbInQue;
    }
    // Waits (without sleeping) until n bytes are queued or the line's
    // crossing time has passed.
    bool AwaitQueued(DWORD n) {
        const auto end = std::chrono::steady_clock::now() + milliseconds(kCrossingMs);
        while (Queued() < n && std::chrono::steady_clock::now() < end) {
            std::this_thread::yield();
        }
        return Queued() == n;
    }
    // Waits until a call of the test waits for the line in the backend.
    bool AwaitWaiting() {
        const auto end = std::chrono::steady_clock::now() + milliseconds(kCrossingMs);
        while (B().LineWaiters() == 0 && std::chrono::steady_clock::now() < end) {
            std::this_thread::yield();
        }
        return B().LineWaiters() > 0;
    }
    // Runs a call that blocks on a thread of its own, waiting in the backend
    // before `then` runs; false (the port closed to end the call) when the
    // call did not end within withinMs after that.
    bool WhileWaiting(const std::function<void()>& call, const std::function<void()>& then,
                      int withinMs) {
        std::atomic<bool> done{false};
        std::thread caller([&] {
            call();
            done = true;
        });
        EXPECT_TRUE(AwaitWaiting()) << "the call does not wait";
        EXPECT_FALSE(done.load()) << "the call ended before anything happened";
        then();
        const auto end = std::chrono::steady_clock::now() + milliseconds(withinMs);
        while (!done.load() && std::chrono::steady_clock::now() < end) {
            std::this_thread::yield();
        }
        const bool ended = done.load();
        if (!ended) {
            port_.reset();
        }
        caller.join();
        return ended;
    }
    // One read; the bytes and how long it took.
    std::pair<Bytes, long long> TimedRead(DWORD n) {
        Bytes bytes(n);
        DWORD read = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(ReadFile(port_.get(), bytes.data(), n, &read)) << GetLastError();
        const auto took =
            std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        bytes.resize(read);
        return {bytes, took};
    }

    void TearDown() override {
        port_.reset();
        ConformanceTest::TearDown();
    }

    UniqueHandle port_;
    std::string skipped_;
};

#define OPEN_LINE_OR_SKIP()           \
    if (!OpenLine()) {                \
        if (!skipped_.empty()) {      \
            GTEST_SKIP() << skipped_; \
        }                             \
        return;                       \
    }

TEST_P(ConformanceSerial, ControlBlockRoundTripAndExclusiveOpen) {
    OPEN_LINE_OR_SKIP();
    struct Line {
        DWORD baud;
        BYTE bits;
        BYTE parity;
        BYTE stop;
    };
    // A pseudo-terminal keeps neither parity nor a byte size other than 8,
    // so the lines tried differ in speed and stop bits.
    for (const Line l :
         {Line{CBR_9600, 8, NOPARITY, TWOSTOPBITS}, Line{CBR_115200, 8, NOPARITY, ONESTOPBIT},
          Line{CBR_38400, 8, NOPARITY, ONESTOPBIT}}) {
        DCB dcb;
        ASSERT_TRUE(GetCommState(port_.get(), &dcb));
        const DCB before = dcb;
        dcb.BaudRate = l.baud;
        dcb.ByteSize = l.bits;
        dcb.Parity = l.parity;
        dcb.StopBits = l.stop;
        ASSERT_TRUE(SetCommState(port_.get(), dcb)) << l.baud;
        DCB after;
        ASSERT_TRUE(GetCommState(port_.get(), &after));
        EXPECT_EQ(after.BaudRate, l.baud);
        EXPECT_EQ(after.ByteSize, l.bits);
        EXPECT_EQ(after.Parity, l.parity);
        EXPECT_EQ(after.StopBits, l.stop);
        // Flow control stays as the driver reported it.
        EXPECT_EQ(after.fOutxCtsFlow, before.fOutxCtsFlow);
        EXPECT_EQ(after.fOutX, before.fOutX);
        EXPECT_EQ(after.fInX, before.fInX);
    }
    COMMTIMEOUTS t{1, 2, 3, 4, 5};
    ASSERT_TRUE(SetCommTimeouts(port_.get(), t));
    COMMTIMEOUTS back;
    ASSERT_TRUE(GetCommTimeouts(port_.get(), &back));
    EXPECT_EQ((std::vector<DWORD>{back.ReadIntervalTimeout, back.ReadTotalTimeoutMultiplier,
                                  back.ReadTotalTimeoutConstant, back.WriteTotalTimeoutMultiplier,
                                  back.WriteTotalTimeoutConstant}),
              (std::vector<DWORD>{1, 2, 3, 4, 5}));

    // The port opens once at a time, and a second open is refused as
    // Windows refuses a port in use (wine would open it twice: the Win32
    // backend refuses it itself).
    UniqueHandle second(CreateFile("COM7:", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0));
    EXPECT_FALSE(second.valid());
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_P(ConformanceSerial, WritesArriveAndQueueCountsWhatCame) {
    OPEN_LINE_OR_SKIP();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port_.get(), "\xFF\x56\x78\x78\x56", 5, &written));
    EXPECT_EQ(written, 5U);
    EXPECT_EQ(B().FarRead(5, kCrossingMs), (Bytes{0xFF, 0x56, 0x78, 0x78, 0x56}));

    EXPECT_EQ(Queued(), 0U);
    ASSERT_TRUE(B().FarWrite({1, 2, 3, 4, 5, 6, 7}));
    ASSERT_TRUE(AwaitQueued(7));
    SetReadTimeouts(kMaxDword, 0, 0);
    EXPECT_EQ(TimedRead(3).first, (Bytes{1, 2, 3}));
    EXPECT_EQ(Queued(), 4U);
    EXPECT_EQ(TimedRead(10).first, (Bytes{4, 5, 6, 7}));
    EXPECT_EQ(Queued(), 0U);
}

TEST_P(ConformanceSerial, ReadTimeouts) {
    OPEN_LINE_OR_SKIP();
    // MAXDWORD, 0, 0: at once, with whatever is queued (nothing here).
    SetReadTimeouts(kMaxDword, 0, 0);
    auto [bytes, took] = TimedRead(10);
    EXPECT_TRUE(bytes.empty());
    EXPECT_LT(took, 1000);

    // MAXDWORD, MAXDWORD, c: nothing after c ms ...
    SetReadTimeouts(kMaxDword, kMaxDword, 300);
    std::tie(bytes, took) = TimedRead(10);
    EXPECT_TRUE(bytes.empty());
    EXPECT_GE(took, 250);
    EXPECT_LT(took, 300 + kCrossingMs);
    // ... or what is queued, at once, far before c ...
    SetReadTimeouts(kMaxDword, kMaxDword, 3000);
    ASSERT_TRUE(B().FarWrite({0x3F, 0x00}));
    ASSERT_TRUE(AwaitQueued(2));
    std::tie(bytes, took) = TimedRead(10);
    EXPECT_EQ(bytes, (Bytes{0x3F, 0x00}));
    EXPECT_LT(took, 1500);
    // ... or the byte that comes while it waits, as it comes, when nothing
    // follows it.
    ASSERT_EQ(Queued(), 0U);
    const HANDLE port = port_.get();
    Bytes during(10);
    DWORD got = 0;
    const auto read = [&] { ReadFile(port, during.data(), 10, &got); };
    const auto write = [&] { EXPECT_TRUE(B().FarWrite({0x56})); };
    ASSERT_TRUE(WhileWaiting(read, write, 1500)) << "the read did not return the byte that came";
    during.resize(got);
    EXPECT_EQ(during, Bytes{0x56});

    // The module check's set: interval 100, 100 per byte, 10: a short reply
    // ends when the line falls silent, far before the total.
    SetReadTimeouts(100, 100, 10);
    ASSERT_TRUE(B().FarWrite({1, 2, 3}));
    ASSERT_TRUE(AwaitQueued(3));
    std::tie(bytes, took) = TimedRead(10);
    EXPECT_EQ(bytes, (Bytes{1, 2, 3}));
    EXPECT_GE(took, 80);
    EXPECT_LT(took, 1010);

    // Totals only: nothing arrives, the read ends after 10 x 20 + 50 ms.
    SetReadTimeouts(0, 20, 50);
    std::tie(bytes, took) = TimedRead(10);
    EXPECT_TRUE(bytes.empty());
    EXPECT_GE(took, 200);
    EXPECT_LT(took, 250 + kCrossingMs);
}

TEST_P(ConformanceSerial, EventsWaitsAndTheMask) {
    OPEN_LINE_OR_SKIP();
    SetReadTimeouts(kMaxDword, 0, 0);
    ASSERT_TRUE(SetCommMask(port_.get(), EV_RXCHAR));
    // Bytes that came before the wait are reported by it.
    ASSERT_TRUE(B().FarWrite({0x3F}));
    ASSERT_TRUE(AwaitQueued(1));
    DWORD events = 0;
    ASSERT_TRUE(WaitCommEvent(port_.get(), &events));
    EXPECT_EQ(events, EV_RXCHAR);
    EXPECT_EQ(TimedRead(1).first, Bytes{0x3F});

    // A wait in progress on an empty queue sees bytes that come while it
    // waits.
    ASSERT_EQ(Queued(), 0U);
    const HANDLE port = port_.get();
    std::atomic<DWORD> seen{0xFFFF};
    std::atomic<BOOL> result{FALSE};
    const auto wait = [&] {
        DWORD e = 0xFFFF;
        result = WaitCommEvent(port, &e);
        seen = e;
    };
    const auto write = [&] { EXPECT_TRUE(B().FarWrite({0x00, 0x00})); };
    ASSERT_TRUE(WhileWaiting(wait, write, kCrossingMs)) << "the wait missed the bytes";
    EXPECT_TRUE(result.load());
    EXPECT_EQ(seen.load(), EV_RXCHAR);
    ASSERT_TRUE(AwaitQueued(2));
    EXPECT_EQ(TimedRead(3).first, (Bytes{0x00, 0x00}));

    // A new mask releases a wait in progress, with no event.
    const auto clearMask = [&] { EXPECT_TRUE(SetCommMask(port, 0)); };
    ASSERT_TRUE(WhileWaiting(wait, clearMask, kCrossingMs)) << "the new mask did not end the wait";
    EXPECT_TRUE(result.load());
    EXPECT_EQ(seen.load(), 0U);
}

TEST_P(ConformanceSerial, CloseEndsAPendingWaitWithInvalidHandle) {
    OPEN_LINE_OR_SKIP();
    ASSERT_TRUE(SetCommMask(port_.get(), EV_RXCHAR));
    const HANDLE h = port_.get();
    std::atomic<BOOL> result{TRUE};
    std::atomic<DWORD> error{0};
    const auto wait = [&] {
        DWORD e = 0;
        result = WaitCommEvent(h, &e);
        error = GetLastError();
    };
    const auto close = [&] { EXPECT_TRUE(CloseHandle(port_.release())); };
    ASSERT_TRUE(WhileWaiting(wait, close, kCrossingMs)) << "the close did not end the wait";
    EXPECT_FALSE(result.load());
    EXPECT_EQ(error.load(), ERROR_INVALID_HANDLE);
    // The next wait on the old handle, or on none, fails the same way.
    DWORD e = 0;
    EXPECT_FALSE(WaitCommEvent(h, &e));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(WaitCommEvent(0, &e));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

INSTANTIATE_TEST_SUITE_P(Lines, ConformanceSerial, ::testing::ValuesIn(SerialLines()),
                         [](const ::testing::TestParamInfo<std::string>& line) {
                             return line.param;
                         });

}  // namespace
}  // namespace conformance
