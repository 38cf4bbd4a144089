// The module's transmit line: never faster than 38400 baud, nothing lost or
// reordered, and chunks of many sizes.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "host/com7/line_pacer.h"

namespace host::com7 {
namespace {

TEST(LinePacer, ByteTimesFollowTheBaudRate) {
    EXPECT_EQ(ByteEndUs(0), 261U);           // 10 bits at 38400 baud: 260.4 us
    EXPECT_EQ(ByteEndUs(9), 2605U);          // a whole frame
    EXPECT_EQ(ByteEndUs(3839), 1'000'000U);  // 3840 bytes a second
}

TEST(LinePacer, DeliversEverythingInOrderAndNeverEarly) {
    LinePacer line(7, 12345);
    std::vector<std::uint8_t> sent;
    std::vector<std::uint64_t> readyAt;
    // Frames ready in bursts: some back to back, some with the line idle.
    for (int f = 0; f < 40; ++f) {
        std::vector<std::uint8_t> frame(10);
        for (int i = 0; i < 10; ++i) {
            frame[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(f * 10 + i);
        }
        const std::uint64_t ready = static_cast<std::uint64_t>(f / 4) * 20'000;
        line.Send(frame, ready);
        sent.insert(sent.end(), frame.begin(), frame.end());
        readyAt.insert(readyAt.end(), 10, ready);
    }
    std::vector<std::uint8_t> received;
    std::set<std::size_t> sizes;
    std::uint64_t now = 0;
    std::uint64_t lineBusyUntil = 0;
    while (auto next = line.NextChunkUs()) {
        now = *next;
        while (auto chunk = line.TakeChunk(now)) {
            ASSERT_FALSE(chunk->bytes.empty());
            ASSERT_LE(chunk->bytes.size(), 7U);
            ASSERT_LE(chunk->endUs, now);
            sizes.insert(chunk->bytes.size());
            // The line carries a byte in 260.4 us at the most: a chunk ends
            // no sooner than that per byte after the chunk before, and a
            // byte time after its last byte was ready.
            const std::size_t last = received.size() + chunk->bytes.size() - 1;
            EXPECT_GE(chunk->endUs, lineBusyUntil + 260 * chunk->bytes.size()) << "byte " << last;
            EXPECT_GE(chunk->endUs, readyAt[last] + 260) << "byte " << last;
            lineBusyUntil = chunk->endUs;
            received.insert(received.end(), chunk->bytes.begin(), chunk->bytes.end());
        }
    }
    EXPECT_EQ(received, sent);
    EXPECT_GE(sizes.size(), 4U) << "chunk sizes vary";
    // Bursts of 4 frames, 20 ms apart: the line is idle between them, and
    // the last burst starts at 180 ms and takes 4 frame times.
    EXPECT_EQ(now, 180'000 + 4 * ByteEndUs(9));
}

TEST(LinePacer, AChunkWaitsForItsLastByteAndClearDropsTheRest) {
    LinePacer line(1, 1);  // one byte at a time
    const std::vector<std::uint8_t> frame(10, 0x3F);
    line.Send(frame, 1000);
    EXPECT_FALSE(line.TakeChunk(1000 + ByteEndUs(0) - 1).has_value());
    EXPECT_TRUE(line.TakeChunk(1000 + ByteEndUs(0)).has_value());
    EXPECT_EQ(line.Queued(), 9U);
    line.Clear();
    EXPECT_EQ(line.Queued(), 0U);
    EXPECT_FALSE(line.NextChunkUs().has_value());
}

}  // namespace
}  // namespace host::com7
