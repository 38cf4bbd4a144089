#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fake_rds_port.h"
#include "rds/frame_reassembler.h"

namespace {

const Bytes kVersion = {0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x3F};
const Bytes kLevel = {0x3F, 0, 0, 0x6C, 0, 0, 0xFF, 0, 0, 0x3F};
// A group whose payload holds markers at both ends of its inner bytes.
const Bytes kGroup = {0x3F, 0x62, 0x04, 0x01, 0x30, 0x3F, 0x6B, 0x59, 0x3F, 0x3F};
const Bytes kSeek = {0x3F, 0, 0, 0x66, 0x05, 0x01, 0x55, 0, 0, 0x3F};

std::vector<RdsFrame> FramesOf(std::initializer_list<Bytes> frames) {
    std::vector<RdsFrame> out;
    for (const auto& frame : frames) {
        out.push_back(DecodeRdsFrame(frame.data(), frame.size()));
    }
    return out;
}

// Feeds `stream` in chunks of the given sizes (the last one takes the rest).
std::vector<RdsFrame> Reassemble(const Bytes& stream, const std::vector<std::size_t>& cuts) {
    RdsFrameReassembler reassembler;
    std::vector<RdsFrame> frames;
    const auto collect = [&frames](const RdsFrame& frame) { frames.push_back(frame); };
    std::size_t begin = 0;
    for (const std::size_t cut : cuts) {
        const std::size_t end = std::min(cut, stream.size());
        reassembler.Feed(std::span(stream.data() + begin, end - begin), collect);
        EXPECT_LE(reassembler.Pending(), 9U);
        begin = end;
    }
    reassembler.Feed(std::span(stream.data() + begin, stream.size() - begin), collect);
    return frames;
}

struct StreamCase {
    const char* name;
    Bytes stream;
    std::vector<RdsFrame> frames;
};

std::vector<StreamCase> StreamCases() {
    return {
        {"frames back to back, two in one chunk", Join({kVersion, kGroup, kLevel, kSeek}),
         FramesOf({kVersion, kGroup, kLevel, kSeek})},
        {"garbage before a frame", Join({{0x00, 0x12, 0xFF, 0x56}, kVersion}),
         FramesOf({kVersion})},
        {"garbage holding markers", Join({{0x3F, 0x12, 0x3F, 0x3F, 0x00}, kLevel, kVersion}),
         FramesOf({kLevel, kVersion})},
        {"nine bytes of garbage, then a frame", Join({Bytes(9, 0x00), kVersion}),
         FramesOf({kVersion})},
        {"stray marker right before a frame", Join({{0x3F}, kVersion}), FramesOf({kVersion})},
        {"garbage between frames", Join({kSeek, {0x11, 0x3F, 0x22}, kGroup}),
         FramesOf({kSeek, kGroup})},
        {"a frame cut short by the next",
         Join({Bytes(kVersion.begin(), kVersion.begin() + 6), kLevel}), FramesOf({kLevel})},
        {"trailing partial frame", Join({kGroup, Bytes(kSeek.begin(), kSeek.begin() + 9)}),
         FramesOf({kGroup})},
        {"no marker anywhere", Bytes(40, 0x55), {}},
        {"markers only", Bytes(25, 0x3F), FramesOf({Bytes(10, 0x3F), Bytes(10, 0x3F)})},
    };
}

TEST(RdsFrameReassembler, WholeStreamGivesItsFrames) {
    for (const auto& c : StreamCases()) {
        EXPECT_EQ(Reassemble(c.stream, {}), c.frames) << c.name;
    }
}

TEST(RdsFrameReassembler, EveryCutGivesTheSameFrames) {
    for (const auto& c : StreamCases()) {
        for (std::size_t cut = 0; cut <= c.stream.size(); ++cut) {
            EXPECT_EQ(Reassemble(c.stream, {cut}), c.frames) << c.name << " cut at " << cut;
        }
    }
}

TEST(RdsFrameReassembler, EveryChunkSizeGivesTheSameFrames) {
    for (const auto& c : StreamCases()) {
        for (std::size_t size = 1; size <= c.stream.size(); ++size) {
            std::vector<std::size_t> cuts;
            for (std::size_t at = size; at < c.stream.size(); at += size) {
                cuts.push_back(at);
            }
            EXPECT_EQ(Reassemble(c.stream, cuts), c.frames) << c.name << " chunks of " << size;
        }
    }
}

}  // namespace
