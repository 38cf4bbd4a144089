#include "rds/frame_text.h"

#include <cstdio>

#include "devices/com7.h"
#include "rds/command_frame.h"
#include "rds/replies.h"

namespace {

std::string Megahertz(int frequency) {
    return std::to_string(frequency / 10) + "." + std::to_string(frequency % 10) + " MHz";
}

// A character of a station's text as it can be shown on one line.
char Shown(std::uint8_t c) {
    return c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
}

std::string Hex(std::uint8_t value) {
    char text[3];
    static_cast<void>(std::snprintf(text, sizeof text, "%02X", value));
    return text;
}

std::string DescribeGroup(const RdsFrame& frame) {
    const unsigned blockB = (unsigned{frame.At(3)} << 8) | frame.At(4);
    const unsigned type = blockB >> 12;
    const bool versionB = (blockB & 0x0800U) != 0;
    std::string text = "group " + std::to_string(type) + (versionB ? "B" : "A");
    if (type == 0) {
        text += ", PS segment " + std::to_string(blockB & 0x3U) + " '" + Shown(frame.At(7)) +
                Shown(frame.At(8)) + "'";
    } else if (type == 2) {
        text += ", RT segment " + std::to_string(blockB & 0xFU) + " '";
        // Version A carries four characters in C and D, version B two in D.
        for (std::size_t offset = versionB ? 7 : 5; offset <= 8; ++offset) {
            text += Shown(frame.At(offset));
        }
        text += "'";
    }
    return text;
}

std::string DescribeReply(const RdsFrame& frame) {
    const std::string head = std::string("reply ") + Shown(frame.replyCode);
    if (const auto version = DecodeVersionReply(frame)) {
        return head + " " + std::to_string(SignedByte(version->first)) + "-" +
               std::to_string(SignedByte(version->second)) + "-" +
               std::to_string(SignedByte(version->third));
    }
    if (const auto level = DecodeLevelReply(frame)) {
        return head + " level " + std::to_string(*level);
    }
    if (const auto tune = DecodeTuneReply(frame)) {
        return head + (tune->strength ? " strength" : " no strength") +
               (tune->tuned ? ", tuned" : ", not tuned");
    }
    if (const auto seek = DecodeSeekReply(frame)) {
        if (!seek->found) {
            return head + " nothing found";
        }
        return head + " found " + Megahertz(seek->frequency) +
               (seek->tuned ? ", tuned" : ", not tuned");
    }
    return head + " " + Hex(frame.At(4)) + " " + Hex(frame.At(5)) + " " + Hex(frame.At(6));
}

}  // namespace

std::string DescribeRdsCommand(std::span<const std::uint8_t> frame) {
    if (frame.size() != kRdsCommandFrameSize || frame[0] != kRdsCommandStart ||
        frame[1] != frame[4]) {
        return {};
    }
    const std::uint8_t first = frame[2];
    const std::uint8_t second = frame[3];
    switch (frame[1]) {
        case kRdsCodeTune: {
            std::string text = "Tune " + Megahertz(kRdsBaseFrequency + first);
            if ((second & 0x0FU) != 0) {
                text += ", parameter " + std::to_string(second & 0x0FU);
            }
            return text;
        }
        case kRdsCodeSeekUp:
        case kRdsCodeSeekDown:
            return std::string(frame[1] == kRdsCodeSeekUp ? "Seek up" : "Seek down") +
                   ", parameter " + std::to_string(second);
        case kRdsCodeLevel:
            return "Level";
        case kRdsCodeVersion:
            return first == kRdsVersionQuery[2] && second == kRdsVersionQuery[3] ? "Version query"
                                                                                 : "Version";
        case kRdsCodeMute:
            return first == 0 ? "Mute on" : "Mute off";
        default:
            return "command " + Hex(frame[1]);
    }
}

std::string DescribeRdsFrame(const RdsFrame& frame) {
    switch (frame.kind) {
        case RdsFrameKind::Reply:
            return DescribeReply(frame);
        case RdsFrameKind::RdsGroup:
            return DescribeGroup(frame);
        case RdsFrameKind::NotAFrame:
            break;
    }
    return "no frame";
}
