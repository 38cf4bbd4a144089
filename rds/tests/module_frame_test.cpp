#include <gtest/gtest.h>

#include <optional>
#include <string>

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

// What every reply decoder makes of a frame, joined; "" when none takes it.
std::string Describe(const RdsFrame& frame) {
    std::string out;
    if (const auto v = DecodeVersionReply(frame)) {
        out += "version " + std::to_string(v->first) + " " + std::to_string(v->second) + " " +
               std::to_string(v->third) + ";";
    }
    if (const auto level = DecodeLevelReply(frame)) {
        out += "level " + std::to_string(*level) + ";";
    }
    if (const auto t = DecodeTuneReply(frame)) {
        out += "tune " + std::to_string(t->strength) + " " + std::to_string(t->tuned) + ";";
    }
    if (const auto s = DecodeSeekReply(frame)) {
        out += "seek " + std::to_string(s->found) + " " + std::to_string(s->frequency) + " " +
               std::to_string(s->tuned) + ";";
    }
    return out;
}

struct ReplyCase {
    Bytes bytes;
    std::string decoded;
};

TEST(Replies, EachDecoderTakesItsOwnReplyAndItsFields) {
    const ReplyCase cases[] = {
        // Version bytes as sent; the tool shows them signed, the check unsigned.
        {{0x3F, 0, 0, 0x56, 0x81, 0x02, 0xFF, 0x11, 0x22, 0x3F}, "version 129 2 255;"},
        // The level is offset 6, signed; offsets 4 and 5 must not leak into it.
        {{0x3F, 0, 0, 0x6C, 0x11, 0x22, 0xFF, 0, 0, 0x3F}, "level -1;"},
        {{0x3F, 0, 0, 0x6C, 0x00, 0x00, 0x80, 0, 0, 0x3F}, "level -128;"},
        {{0x3F, 0, 0, 0x6C, 0x00, 0x00, 0x7F, 0, 0, 0x3F}, "level 127;"},
        // Flags need exactly 0x01 and 0x55.
        {{0x3F, 0, 0, 0x73, 0x00, 0x01, 0x55, 0, 0, 0x3F}, "tune 1 1;"},
        {{0x3F, 0, 0, 0x73, 0x01, 0x03, 0xD5, 0, 0, 0x3F}, "tune 0 0;"},
        {{0x3F, 0, 0, 0x73, 0x01, 0xFF, 0x54, 0, 0, 0x3F}, "tune 0 0;"},
        // Station found at 88.0 MHz, tuned; the channel byte is unsigned.
        {{0x3F, 0, 0, 0x66, 0x05, 0x01, 0x55, 0, 0, 0x3F}, "seek 1 880 1;"},
        {{0x3F, 0, 0, 0x66, 0xFF, 0x00, 0x00, 0, 0, 0x3F}, "seek 0 1130 0;"},
        {{0x3F, 0, 0, 0x66, 0xCD, 0x02, 0x55, 0, 0, 0x3F}, "seek 0 1080 1;"},
        // Nothing else is a reply these decoders take.
        {{0x3F, 0, 0, 0x6D, 0x01, 0x00, 0x00, 0, 0, 0x3F}, ""},
        {{0x3F, 0x00, 0x01, 0x56, 1, 2, 3, 0, 0, 0x3F}, ""},
        {{0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Describe(Decode(c.bytes)), c.decoded) << c.decoded;
    }
    EXPECT_EQ(SignedByte(0x81), -127);
}

TEST(FormatRawWords, UpperCaseHexHighByteFirst) {
    EXPECT_EQ(FormatRawWords(Decode({0x3F, 0, 0, 0x56, 1, 2, 3, 0, 0, 0x3F})),
              (RdsRawWords{"0x0000", "0x5601", "0x0203", "0x0000"}));
    EXPECT_EQ(FormatRawWords(Decode({0x3F, 0xAB, 0xCD, 0xEF, 0x3F, 0x00, 0xFF, 0x9A, 0x0B, 0x3F})),
              (RdsRawWords{"0xABCD", "0xEF3F", "0x00FF", "0x9A0B"}));
}

}  // namespace
