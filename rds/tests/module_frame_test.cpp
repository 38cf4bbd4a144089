#include <gtest/gtest.h>

#include <optional>

#include "fake_rds_port.h"
#include "rds/module_frame.h"
#include "rds/replies.h"

namespace {

RdsFrame Decode(const Bytes& bytes) {
    return DecodeRdsFrame(bytes.data(), bytes.size());
}

struct DecodeCase {
    const char* name;
    Bytes bytes;
    RdsFrameKind kind;
    std::uint8_t replyCode;
};

TEST(DecodeRdsFrame, KindAndReplyCode) {
    const DecodeCase cases[] = {
        {"version reply", {0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x3F}, RdsFrameKind::Reply, 0x56},
        {"group, PI high byte only",
         {0x3F, 0x62, 0, 0x01, 0x30, 0, 0, 0x59, 0x4C, 0x3F},
         RdsFrameKind::RdsGroup,
         0},
        {"group, PI low byte only",
         {0x3F, 0, 0x04, 0x56, 0, 0, 0, 0, 0, 0x3F},
         RdsFrameKind::RdsGroup,
         0},
        {"nine bytes beginning with the marker",
         {0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0},
         RdsFrameKind::NotAFrame,
         0},
        {"no end marker", {0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x00}, RdsFrameKind::NotAFrame, 0},
        {"no start marker", {0x00, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x3F}, RdsFrameKind::NotAFrame, 0},
        {"two frames: the first counts",
         {0x3F, 0, 0, 0x6C, 0, 0, 0xFF, 0, 0, 0x3F, 0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x3F},
         RdsFrameKind::Reply,
         0x6C},
        {"marker at 9 of a longer chunk",
         {0x3F, 0, 0, 0x73, 0, 1, 0x55, 0, 0, 0x3F, 0x11},
         RdsFrameKind::Reply,
         0x73},
        {"empty", {}, RdsFrameKind::NotAFrame, 0},
    };
    for (const auto& c : cases) {
        const RdsFrame frame = Decode(c.bytes);
        EXPECT_EQ(frame.kind, c.kind) << c.name;
        EXPECT_EQ(frame.replyCode, c.replyCode) << c.name;
        if (frame.kind != RdsFrameKind::NotAFrame) {
            EXPECT_TRUE(std::equal(frame.bytes.begin(), frame.bytes.end(), c.bytes.begin() + 1))
                << c.name;
        } else {
            EXPECT_EQ(frame, RdsFrame{}) << c.name;
        }
    }
    EXPECT_EQ(DecodeRdsFrame(nullptr, 10).kind, RdsFrameKind::NotAFrame);
}

TEST(RdsFrame, WordsAreHighByteFirst) {
    const RdsFrame frame = Decode({0x3F, 0x62, 0x04, 0x01, 0x37, 0x96, 0x6B, 0x4D, 0x20, 0x3F});
    EXPECT_EQ(frame.Word(0), 0x6204);
    EXPECT_EQ(frame.Word(1), 0x0137);
    EXPECT_EQ(frame.Word(2), 0x966B);
    EXPECT_EQ(frame.Word(3), 0x4D20);
    // Outside the frame there is nothing to read.
    EXPECT_EQ(frame.At(0), 0);
    EXPECT_EQ(frame.At(9), 0);
    EXPECT_EQ(frame.Word(4), 0);
}

TEST(Replies, VersionShownSignedByTheToolAndUnsignedByTheCheck) {
    const auto version = DecodeVersionReply(Decode({0x3F, 0, 0, 0x56, 0x81, 2, 3, 0, 0, 0x3F}));
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->first, 129);
    EXPECT_EQ(SignedByte(version->first), -127);
    EXPECT_EQ(SignedByte(version->second), 2);
    EXPECT_EQ(SignedByte(version->third), 3);
}

struct LevelCase {
    std::uint8_t byte;
    int level;
};

TEST(Replies, LevelIsSignedAtOffsetSix) {
    const LevelCase cases[] = {{0x00, 0}, {0x7F, 127}, {0x80, -128}, {0xFF, -1}, {0x2A, 42}};
    for (const auto& c : cases) {
        // Offsets 4 and 5 carry noise that must not leak into the level.
        const auto level =
            DecodeLevelReply(Decode({0x3F, 0, 0, 0x6C, 0x11, 0x22, c.byte, 0, 0, 0x3F}));
        ASSERT_TRUE(level.has_value());
        EXPECT_EQ(*level, c.level) << int{c.byte};
    }
}

struct FlagCase {
    std::uint8_t offset5;
    std::uint8_t offset6;
    bool flag;
    bool tuned;
};

TEST(Replies, TuneAndSeekFlagsNeedTheExactValues) {
    const FlagCase cases[] = {
        {0x01, 0x55, true, true},   {0x00, 0x55, false, true},  {0x01, 0x54, true, false},
        {0x03, 0xD5, false, false}, {0xFF, 0x00, false, false},
    };
    for (const auto& c : cases) {
        const auto tune =
            DecodeTuneReply(Decode({0x3F, 0, 0, 0x73, 0, c.offset5, c.offset6, 0, 0, 0x3F}));
        ASSERT_TRUE(tune.has_value());
        EXPECT_EQ(tune->strength, c.flag);
        EXPECT_EQ(tune->tuned, c.tuned);
        const auto seek =
            DecodeSeekReply(Decode({0x3F, 0, 0, 0x66, 0xCD, c.offset5, c.offset6, 0, 0, 0x3F}));
        ASSERT_TRUE(seek.has_value());
        EXPECT_EQ(seek->found, c.flag);
        EXPECT_EQ(seek->tuned, c.tuned);
        EXPECT_EQ(seek->frequency, 1080);
    }
}

TEST(Replies, SeekFoundStationFrequencyIsUnsigned) {
    const auto seek = DecodeSeekReply(Decode({0x3F, 0, 0, 0x66, 0x05, 0x01, 0x55, 0, 0, 0x3F}));
    ASSERT_TRUE(seek.has_value());
    EXPECT_TRUE(seek->found);
    EXPECT_TRUE(seek->tuned);
    EXPECT_EQ(seek->frequency, 880);
    EXPECT_EQ(DecodeSeekReply(Decode({0x3F, 0, 0, 0x66, 0xFF, 1, 0, 0, 0, 0x3F}))->frequency, 1130);
}

TEST(Replies, EachDecoderTakesOnlyItsOwnReply) {
    const RdsFrame frames[] = {
        Decode({0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x3F}),        // version
        Decode({0x3F, 0, 0, 0x6C, 0, 0, 5, 0, 0, 0x3F}),        // level
        Decode({0x3F, 0, 0, 0x73, 0, 1, 0x55, 0, 0, 0x3F}),     // tune
        Decode({0x3F, 0, 0, 0x66, 5, 1, 0x55, 0, 0, 0x3F}),     // seek
        Decode({0x3F, 0, 0, 0x6D, 1, 0, 0, 0, 0, 0x3F}),        // unknown code
        Decode({0x3F, 0x00, 0x01, 0x56, 1, 2, 3, 0, 0, 0x3F}),  // a group with 'V' at offset 3
        Decode({0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0}),              // too short
    };
    const bool expected[][4] = {
        {true, false, false, false},  {false, true, false, false},  {false, false, true, false},
        {false, false, false, true},  {false, false, false, false}, {false, false, false, false},
        {false, false, false, false},
    };
    for (std::size_t i = 0; i < std::size(frames); ++i) {
        EXPECT_EQ(DecodeVersionReply(frames[i]).has_value(), expected[i][0]) << i;
        EXPECT_EQ(DecodeLevelReply(frames[i]).has_value(), expected[i][1]) << i;
        EXPECT_EQ(DecodeTuneReply(frames[i]).has_value(), expected[i][2]) << i;
        EXPECT_EQ(DecodeSeekReply(frames[i]).has_value(), expected[i][3]) << i;
    }
}

TEST(FormatRawWords, UpperCaseHexHighByteFirst) {
    EXPECT_EQ(FormatRawWords(Decode({0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x3F})),
              (RdsRawWords{"0x0000", "0x5601", "0x0203", "0x0000"}));
    EXPECT_EQ(FormatRawWords(Decode({0x3F, 0xAB, 0xCD, 0xEF, 0x3F, 0x00, 0xFF, 0x9A, 0x0B, 0x3F})),
              (RdsRawWords{"0xABCD", "0xEF3F", "0x00FF", "0x9A0B"}));
}

}  // namespace
