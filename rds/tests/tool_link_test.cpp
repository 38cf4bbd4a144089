#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_kernel.h"
#include "fake_rds_port.h"
#include "platform/services.h"
#include "rds/tool_link.h"
#include "recording_sink.h"

namespace {

using Events = std::vector<std::string>;

const Bytes kToolVersion = {0x3F, 0, 0, 0x56, 0x81, 0x02, 0x03, 0, 0, 0x3F};
const Bytes kToolLevel = {0x3F, 0, 0, 0x6C, 0x00, 0x00, 0xFF, 0, 0, 0x3F};
const Bytes kTune = {0x3F, 0, 0, 0x73, 0x00, 0x01, 0x55, 0, 0, 0x3F};
const Bytes kSeekFound = {0x3F, 0, 0, 0x66, 0x0A, 0x01, 0x55, 0, 0, 0x3F};
const Bytes kSeekNone = {0x3F, 0, 0, 0x66, 0x0A, 0x00, 0x00, 0, 0, 0x3F};
const Bytes kMuteEcho = {0x3F, 0, 0, 0x6D, 0x01, 0x00, 0x00, 0, 0, 0x3F};

Bytes PsGroup(std::uint8_t segment, std::uint8_t first, std::uint8_t second) {
    return {0x3F, 0x62, 0x04,  0x01,   static_cast<std::uint8_t>(0x30 | segment),
            0x96, 0x6B, first, second, 0x3F};
}

Bytes PsName(const char* text) {
    Bytes out;
    for (std::uint8_t segment = 0; segment < 4; ++segment) {
        const Bytes group =
            PsGroup(segment, static_cast<std::uint8_t>(text[std::size_t{2} * segment]),
                    static_cast<std::uint8_t>(text[std::size_t{2} * segment + 1]));
        out.insert(out.end(), group.begin(), group.end());
    }
    return out;
}

class ToolLinkTest : public ::testing::Test {
  protected:
    ToolLinkTest() : m_services(platform::Services{.kernel = &kernel}) {}

    void HandleChunk(const Bytes& bytes) { link.HandleChunk(bytes.data(), bytes.size()); }

    FakeKernel kernel;
    FakeRdsPort port;
    RecordingSink sink;
    RdsToolLink link{port, sink};

  private:
    platform::ScopedServices m_services;
};

struct DisplayCase {
    const char* name;
    Bytes chunk;
    Events events;
    int frequencyAfter;
};

TEST_F(ToolLinkTest, EveryFrameUpdatesItsFieldsThenTheRawWords) {
    const DisplayCase cases[] = {
        {"version, signed",
         kToolVersion,
         {"version -127 2 3", "raw 0x0000 0x5681 0x0203 0x0000"},
         900},
        {"level, signed", kToolLevel, {"level -1", "raw 0x0000 0x6C00 0x00FF 0x0000"}, 900},
        {"tune", kTune, {"tune strength=1 tuned=1", "raw 0x0000 0x7300 0x0155 0x0000"}, 900},
        {"seek found moves the frequency",
         kSeekFound,
         {"seek found=1 885 tuned=1", "raw 0x0000 0x660A 0x0155 0x0000"},
         885},
        {"seek without a station keeps it",
         kSeekNone,
         {"seek found=0 900 tuned=0", "raw 0x0000 0x660A 0x0000 0x0000"},
         900},
        {"unknown reply: raw only", kMuteEcho, {"raw 0x0000 0x6D01 0x0000 0x0000"}, 900},
        {"a lone group: raw only", PsGroup(0, 'A', 'B'), {"raw 0x6204 0x0130 0x966B 0x4142"}, 900},
        {"nine bytes: nothing", Bytes(kToolVersion.begin(), kToolVersion.begin() + 9), {}, 900},
        {"garbage then two frames",
         Join({{0x00, 0x3F, 0x77}, kToolLevel, kTune}),
         {"level -1", "raw 0x0000 0x6C00 0x00FF 0x0000", "tune strength=1 tuned=1",
          "raw 0x0000 0x7300 0x0155 0x0000"},
         900},
    };
    for (const auto& c : cases) {
        FakeRdsPort casePort;
        RecordingSink caseSink;
        RdsToolLink caseLink(casePort, caseSink);
        caseLink.SetFrequency(900);
        caseLink.HandleChunk(c.chunk.data(), c.chunk.size());
        EXPECT_EQ(caseSink.Events(), c.events) << c.name;
        EXPECT_EQ(caseLink.Frequency(), c.frequencyAfter) << c.name;
    }
}

TEST_F(ToolLinkTest, NameIsWidenedShownBeforeItsLastRawWordsAndEndsAtAZero) {
    HandleChunk(PsName("Caf\xE9 \x80  "));
    const Events events = sink.Events();
    ASSERT_EQ(events.size(), 5U);
    EXPECT_EQ(events[3], "ps [Caf\xC3\xA9 \xE2\x82\xAC  ]");
    EXPECT_EQ(events[4], "raw 0x6204 0x0133 0x966B 0x2020");
    HandleChunk(PsName(std::string("AB\0CDEFG", 8).c_str()));
    EXPECT_EQ(sink.Events()[8], "ps [AB]");
}

TEST_F(ToolLinkTest, FrameSplitAcrossChunksIsShownOnceWhole) {
    HandleChunk(Bytes(kToolLevel.begin(), kToolLevel.begin() + 4));
    EXPECT_TRUE(sink.Events().empty());
    HandleChunk(Join({Bytes(kToolLevel.begin() + 4, kToolLevel.end()),
                      Bytes(kTune.begin(), kTune.begin() + 1)}));
    EXPECT_EQ(sink.Events(), (Events{"level -1", "raw 0x0000 0x6C00 0x00FF 0x0000"}));
    link.HandleChunk(nullptr, 5);
    link.HandleChunk(kTune.data(), 0);
    HandleChunk(Bytes(kTune.begin() + 1, kTune.end()));
    EXPECT_EQ(sink.Events().size(), 4U);
}

struct SendCase {
    const char* name;
    RdsCommand command;
    int frequency;
    int tuneParameter;
    int seekParameter;
    bool seekUp;
    Bytes written;
};

TEST_F(ToolLinkTest, SendWritesOneFrameWithTheSharedFrequency) {
    const SendCase cases[] = {
        {"tune top", RdsCommand::Tune, 1080, 15, 1, true, {0xFF, 0x73, 0xCD, 0xFF, 0x73}},
        {"seek down", RdsCommand::Seek, 875, 0, 2, false, {0xFF, 0x58, 0xFE, 0x02, 0x58}},
        {"no such command", static_cast<RdsCommand>(9), 875, 0, 1, true, {}},
    };
    for (const auto& c : cases) {
        FakeRdsPort casePort;
        RdsToolLink caseLink(casePort, sink);
        ASSERT_TRUE(caseLink.OpenPort());
        caseLink.SetFrequency(c.frequency);
        caseLink.Send(c.command, c.tuneParameter, c.seekParameter, c.seekUp);
        const std::vector<Bytes> expected =
            c.written.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{c.written};
        EXPECT_EQ(casePort.writes, expected) << c.name;
    }
}

TEST_F(ToolLinkTest, FoundSeekMovesTheFrequencyTheNextTuneUses) {
    ASSERT_TRUE(link.OpenPort());
    link.SetFrequency(1079);
    HandleChunk(kSeekFound);
    link.Send(RdsCommand::Tune, 0, 1, true);
    ASSERT_EQ(port.writes.size(), 1U);
    EXPECT_EQ(port.writes[0], (Bytes{0xFF, 0x73, 0x0A, 0xF0, 0x73}));
}

TEST_F(ToolLinkTest, NothingIsWrittenWithoutAPort) {
    link.Send(RdsCommand::MuteOff, 0, 1, true);  // handle still null
    port.openFails = true;
    EXPECT_FALSE(link.OpenPort());
    EXPECT_EQ(link.Port(), platform::INVALID_HANDLE_VALUE);
    link.Send(RdsCommand::MuteOff, 0, 1, true);  // invalid handle: no effect
    EXPECT_TRUE(port.writes.empty());
}

struct SeekTimeCase {
    const char* name;
    bool seekSent;
    platform::DWORD sentAt;
    platform::DWORD repliedAt;
    Bytes reply;
    std::vector<std::string> lines;
};

TEST_F(ToolLinkTest, SeekTimeLineOnlyForAFoundSeekAfterASeek) {
    const SeekTimeCase cases[] = {
        {"found", true, 1000, 1450, kSeekFound, {"[RDS]Seek time = 450ms\r\n"}},
        {"clock wrapped", true, 0xFFFFFF00U, 0x40, kSeekFound, {"[RDS]Seek time = 320ms\r\n"}},
        {"nothing found", true, 1000, 1450, kSeekNone, {}},
        {"no seek sent", false, 0, 1450, kSeekFound, {}},
    };
    for (const auto& c : cases) {
        FakeKernel caseKernel;
        platform::ScopedServices services(platform::Services{.kernel = &caseKernel});
        FakeRdsPort casePort;
        RecordingSink caseSink;
        RdsToolLink caseLink(casePort, caseSink);
        ASSERT_TRUE(caseLink.OpenPort());
        if (c.seekSent) {
            casePort.clock = c.sentAt;
            caseLink.Send(RdsCommand::Seek, 0, 1, true);
        }
        casePort.clock = c.repliedAt;
        caseLink.HandleChunk(c.reply.data(), c.reply.size());
        EXPECT_EQ(caseKernel.DebugLines(), c.lines) << c.name;
    }
}

TEST_F(ToolLinkTest, OpenConfigureCloseSequence) {
    ASSERT_TRUE(link.OpenPort());
    link.ConfigurePort();
    link.ClosePort();
    EXPECT_EQ(link.Port(), 0);
    link.ClosePort();  // a second close closes nothing
    EXPECT_EQ(port.calls, (Events{"Open", "ConfigureLine 124", "SetEventMask 124 1",
                                  "SetEventMask 124 0", "Close 124", "SetEventMask 0 0"}));
}

TEST_F(ToolLinkTest, DestroyingAnOpenLinkClosesItsPort) {
    FakeRdsPort ownPort;
    {
        RdsToolLink own(ownPort, sink);
        ASSERT_TRUE(own.OpenPort());
    }
    EXPECT_EQ(ownPort.calls.back(), "Close 124");
}

TEST_F(ToolLinkTest, ReceiveLoopEndsAtOnceWithoutAPort) {
    EXPECT_EQ(link.ReceiveLoop(), 0U);
    EXPECT_EQ(port.waitCount, 0);
}

TEST_F(ToolLinkTest, ReceiveLoopOnAPortThatDidNotOpenEndsAtTheFirstWait) {
    port.openFails = true;
    link.OpenPort();
    link.ConfigurePort();
    EXPECT_EQ(link.ReceiveLoop(), 0U);
    EXPECT_EQ(port.waitCount, 1);
}

struct LoopCase {
    const char* name;
    std::deque<FakeRdsPort::Wait> waits;
    std::deque<platform::DWORD> queuedOverride;
    std::deque<FakeRdsPort::ReadStep> reads;
    std::vector<platform::DWORD> readSizes;
    Events events;
};

TEST_F(ToolLinkTest, ReceiveLoopWaitsReadsAndHandsOverChunks) {
    const FakeRdsPort::Wait closed = WaitFails(platform::ERROR_INVALID_HANDLE);
    const LoopCase cases[] = {
        {"closed port ends the loop", {closed, Arrives(kToolLevel)}, {}, {}, {}, {}},
        {"other wait errors retry",
         {WaitFails(platform::ERROR_GEN_FAILURE), WaitFails(platform::ERROR_OPERATION_ABORTED),
          Arrives(kToolLevel)},
         {},
         {},
         {10},
         {"level -1", "raw 0x0000 0x6C00 0x00FF 0x0000"}},
        {"events without a received character are skipped",
         {Arrives(kToolLevel, 0x0004), Event(0), Event(0x0081)},
         {},
         {},
         {10},
         {"level -1", "raw 0x0000 0x6C00 0x00FF 0x0000"}},
        {"nothing queued, nothing read",
         {Arrives(kToolLevel), Event(platform::EV_RXCHAR)},
         {0},
         {},
         {10},
         {"level -1", "raw 0x0000 0x6C00 0x00FF 0x0000"}},
        {"the whole queue in one read",
         {Arrives(Join({kToolVersion, kTune, {0x3F, 0}}))},
         {},
         {},
         {22},
         {"version -127 2 3", "raw 0x0000 0x5681 0x0203 0x0000", "tune strength=1 tuned=1",
          "raw 0x0000 0x7300 0x0155 0x0000"}},
        {"a failed read drops its chunk",
         {Arrives(kToolLevel), Arrives(kTune)},
         {},
         {ReadFails(platform::ERROR_GEN_FAILURE), Gives(kTune)},
         {10, 10},
         {"tune strength=1 tuned=1", "raw 0x0000 0x7300 0x0155 0x0000"}},
        {"a count beyond the request is cut to it",
         {Arrives(kTune)},
         {},
         {Gives(kTune, 4000)},
         {10},
         {"tune strength=1 tuned=1", "raw 0x0000 0x7300 0x0155 0x0000"}},
    };
    for (const auto& c : cases) {
        FakeRdsPort casePort;
        RecordingSink caseSink;
        RdsToolLink caseLink(casePort, caseSink);
        ASSERT_TRUE(caseLink.OpenPort());
        casePort.waits = c.waits;
        casePort.queuedOverride = c.queuedOverride;
        casePort.reads = c.reads;
        EXPECT_EQ(caseLink.ReceiveLoop(), 0U) << c.name;
        EXPECT_EQ(casePort.readSizes, c.readSizes) << c.name;
        EXPECT_EQ(caseSink.Events(), c.events) << c.name;
    }
}

TEST_F(ToolLinkTest, ReceiveLoopTakesAQueueBeyondOneChunkBeforeWaitingAgain) {
    // A frame straddles the chunk boundary and still arrives whole.
    Bytes stream(RdsToolLink::kMaxChunkBytes - 4, 0x00);
    stream.insert(stream.end(), kToolLevel.begin(), kToolLevel.end());
    ASSERT_TRUE(link.OpenPort());
    port.waits = {Arrives(stream)};
    link.ReceiveLoop();
    EXPECT_EQ(port.readSizes, (std::vector<platform::DWORD>{RdsToolLink::kMaxChunkBytes, 6}));
    EXPECT_EQ(sink.Events(), (Events{"level -1", "raw 0x0000 0x6C00 0x00FF 0x0000"}));
    EXPECT_EQ(port.waitCount, 2);
}

}  // namespace
