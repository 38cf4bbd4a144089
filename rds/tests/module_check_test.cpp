#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "fake_rds_port.h"
#include "rds/module_check.h"

namespace {

using Read = FakeRdsPort::ReadStep;

const Bytes kCheckReply = {0x3F, 0, 0, 0x56, 0x01, 0x02, 0x03, 0, 0, 0x3F};
const Bytes kCheckGroup = {0x3F, 0x62, 0x04, 0x01, 0x30, 0x96, 0x6B, 0x59, 0x4C, 0x3F};
const Bytes kCheckLevel = {0x3F, 0, 0, 0x6C, 0x00, 0x00, 0xFF, 0, 0, 0x3F};

Bytes Slice(const Bytes& bytes, std::size_t begin, std::size_t end) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(begin),
            bytes.begin() + static_cast<std::ptrdiff_t>(end)};
}

struct CheckCase {
    const char* name;
    std::deque<Read> reads;  // then silence
    std::string result;
    std::size_t readCount;
};

TEST(RunRdsModuleCheck, ResultOfWhatTheModuleSends) {
    const CheckCase cases[] = {
        {"silent module", {}, "RDS port NG!", 1},
        {"version reply", {Gives(kCheckReply)}, "RDS test OK.\r\nVersion=1-2-3", 1},
        {"version bytes are unsigned",
         {Gives({0x3F, 0, 0, 0x56, 0x81, 0xFF, 0x00, 0, 0, 0x3F})},
         "RDS test OK.\r\nVersion=129-255-0",
         1},
        {"groups before the reply are skipped",
         {Gives(kCheckGroup), Gives(kCheckLevel), Gives(kCheckGroup), Gives(kCheckReply)},
         "RDS test OK.\r\nVersion=1-2-3",
         4},
        {"reply split across two reads",
         {Gives(Slice(kCheckReply, 0, 6)), Gives(Slice(kCheckReply, 6, 10))},
         "RDS test OK.\r\nVersion=1-2-3",
         2},
        {"reply split over three short reads",
         {Gives(Slice(kCheckReply, 0, 1)), Gives(Slice(kCheckReply, 1, 9)),
          Gives(Slice(kCheckReply, 9, 10))},
         "RDS test OK.\r\nVersion=1-2-3",
         3},
        {"reply out of step with the reads",
         {Gives({0x00, 0x3F, 0x62, 0x04, 0x01, 0x30, 0x96, 0x6B, 0x59, 0x4C}),
          Gives({0x3F, 0x3F, 0, 0, 0x56, 0x04, 0x05, 0x06, 0, 0}), Gives({0x3F})},
         "RDS test OK.\r\nVersion=4-5-6",
         3},
        {"other frames, then silence", {Gives(kCheckGroup), Gives(kCheckLevel)}, "RDS port NG!", 3},
        {"half a reply, then silence", {Gives(Slice(kCheckReply, 0, 7))}, "RDS port NG!", 2},
        {"reply without its end marker",
         {Gives({0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x00})},
         "RDS port NG!",
         2},
        {"failed read", {Gives(kCheckGroup), ReadFails(0x1F)}, "RDS read Error! (001f)", 2},
        {"long error code", {ReadFails(0x12345)}, "RDS read Error! (12345)", 1},
        {"driver claims more than asked",
         {Gives(kCheckReply, 4096)},
         "RDS test OK.\r\nVersion=1-2-3",
         1},
    };
    for (const auto& c : cases) {
        FakeRdsPort port;
        port.reads = c.reads;
        const std::atomic<platform::HANDLE> handle{port.Open()};
        EXPECT_EQ(RunRdsModuleCheck(port, handle), c.result) << c.name;
        EXPECT_EQ(port.readSizes.size(), c.readCount) << c.name;
        EXPECT_EQ(port.writes, (std::vector<Bytes>{{0xFF, 0x56, 0x78, 0x78, 0x56}})) << c.name;
        for (const auto size : port.readSizes) {
            EXPECT_EQ(size, 10U) << c.name;
        }
    }
}

TEST(RunRdsModuleCheck, SetsUpTheLineBeforeTheQuery) {
    FakeRdsPort port;
    port.reads = {Gives(kCheckReply)};
    const std::atomic<platform::HANDLE> handle{port.Open()};
    RunRdsModuleCheck(port, handle);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"Open", "ConfigureLine 124",
                                                    "SetReadTimeouts 124", "Write 124"}));
}

TEST(RunRdsModuleCheck, FailedWriteEndsTheCheckWithItsCode) {
    FakeRdsPort port;
    port.writeError = 0x79;
    port.reads = {Gives(kCheckReply)};
    const std::atomic<platform::HANDLE> handle{port.Open()};
    EXPECT_EQ(RunRdsModuleCheck(port, handle), "RDS write Error! (0079)");
    EXPECT_TRUE(port.readSizes.empty());
}

TEST(RunRdsModuleCheck, PortClosedByTheWindowFailsTheNextRead) {
    FakeRdsPort port;
    std::atomic<platform::HANDLE> handle{port.Open()};
    port.reads = {Gives(kCheckGroup), Gives(kCheckGroup), Gives(kCheckReply)};
    // The user presses OK during the second read: the window closes the port.
    // That read still brings its group; the next one fails.
    port.beforeRead = [&] {
        if (port.readSizes.size() == 1) {
            handle.store(platform::INVALID_HANDLE_VALUE);
        }
    };
    EXPECT_EQ(RunRdsModuleCheck(port, handle), "RDS read Error! (0006)");
    EXPECT_EQ(port.readHandles,
              (std::vector<platform::HANDLE>{FakeRdsPort::kHandle, FakeRdsPort::kHandle,
                                             platform::INVALID_HANDLE_VALUE}));
}

}  // namespace
