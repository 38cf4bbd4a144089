// A unit with the COM7: component on the virtual clock, and the port calls
// the console makes, straight on the unit's kernel.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "host/com7/com7_component.h"
#include "host/com7/com7_driver.h"
#include "host/unit/scheduler.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"

namespace test_support {

using platform::DWORD;
using platform::HANDLE;

// Only keeps a broken build from hanging; a passing run never waits it out.
inline constexpr auto kSettle = std::chrono::seconds(20);

// Three stations: strong, weak, strong; comKeys go into [com].
inline std::string StationsToml(const std::string& comKeys = "") {
    return "[com]\n" + comKeys + R"(
version = [1, 4, 2]
noise_level = -1
strong_level = 30
seek_step_ms = 15
[[com.station]]
frequency = 889
level = 42
pi = 0xE211
ps = "RNE 1"
[[com.station]]
frequency = 939
level = 18
pi = 0xE2C3
ps = "KISS FM"
[[com.station]]
frequency = 1003
level = 55
pi = 0xE203
ps = "RADIO 3"
)";
}

class ComPortTest : public ::testing::Test {
  public:
    // Loads a unit with this unit.toml text; false (and a failure) when it
    // does not load.
    bool Load(const std::string& toml) {
        t_.Toml(toml);
        const bool ok = t_.Load();
        EXPECT_TRUE(ok) << t_.error();
        return ok;
    }
    host::unit::VirtualUnit& U() { return t_.unit(); }
    host::unit::TestUnit& T() { return t_; }
    host::com7::SimulatedPort& Port() { return host::com7::FindCom7(U())->Driver().Simulated(); }

    HANDLE Open() {
        return U().CreateFile("COM7:", platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                              platform::OPEN_EXISTING, 0);
    }
    // 38400 baud, 8N1, as the console sets the line.
    void SetLine(HANDLE h, DWORD baud = 38400, platform::BYTE bits = 8,
                 platform::BYTE parity = platform::NOPARITY,
                 platform::BYTE stop = platform::ONESTOPBIT) {
        platform::DCB dcb;
        ASSERT_TRUE(U().GetCommState(h, &dcb));
        dcb.BaudRate = baud;
        dcb.ByteSize = bits;
        dcb.Parity = parity;
        dcb.StopBits = stop;
        ASSERT_TRUE(U().SetCommState(h, dcb));
    }
    void Send(HANDLE h, std::vector<std::uint8_t> bytes) {
        DWORD written = 0;
        ASSERT_TRUE(U().WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
        EXPECT_EQ(written, bytes.size());
    }
    // Moves the unit clock on by ms and lets every thread settle.
    void Advance(std::uint64_t ms) {
        U().scheduler().AdvanceTo(U().scheduler().NowMs() + ms);
        ASSERT_TRUE(U().scheduler().WaitQuiescent(kSettle));
    }
    DWORD Queued(HANDLE h) {
        DWORD errors = 0;
        platform::COMSTAT status;
        EXPECT_TRUE(U().ClearCommError(h, &errors, &status));
        return status.cbInQue;
    }
    // Everything queued, read without waiting.
    std::vector<std::uint8_t> TakeQueued(HANDLE h) {
        std::vector<std::uint8_t> bytes(Queued(h));
        DWORD read = 0;
        EXPECT_TRUE(U().ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read));
        bytes.resize(read);
        return bytes;
    }

  private:
    host::unit::TestUnit t_{{Com7ComponentKind()}};
};

inline const std::vector<std::uint8_t> kVersionQuery = {0xFF, 0x56, 0x78, 0x78, 0x56};
inline const std::vector<std::uint8_t> kVersionReply = {0x3F, 0x00, 0x00, 0x56, 0x01,
                                                        0x04, 0x02, 0x00, 0x00, 0x3F};

inline std::vector<std::uint8_t> TuneCommand(int frequency) {
    return {0xFF, 0x73, static_cast<std::uint8_t>(frequency - 875), 0xF0, 0x73};
}

}  // namespace test_support
