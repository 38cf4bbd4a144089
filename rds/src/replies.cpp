#include "rds/replies.h"

#include <cstdio>

#include "rds/command_frame.h"

namespace {

bool IsReply(const RdsFrame& frame, std::uint8_t code) {
    return frame.kind == RdsFrameKind::Reply && frame.replyCode == code;
}

}  // namespace

std::optional<RdsVersionReply> DecodeVersionReply(const RdsFrame& frame) {
    if (!IsReply(frame, kRdsReplyVersion)) {
        return std::nullopt;
    }
    return RdsVersionReply{frame.At(4), frame.At(5), frame.At(6)};
}

std::optional<int> DecodeLevelReply(const RdsFrame& frame) {
    if (!IsReply(frame, kRdsReplyLevel)) {
        return std::nullopt;
    }
    return SignedByte(frame.At(6));
}

std::optional<RdsTuneReply> DecodeTuneReply(const RdsFrame& frame) {
    if (!IsReply(frame, kRdsReplyTune)) {
        return std::nullopt;
    }
    return RdsTuneReply{frame.At(5) == kRdsFlagSet, frame.At(6) == kRdsTunedMark};
}

std::optional<RdsSeekReply> DecodeSeekReply(const RdsFrame& frame) {
    if (!IsReply(frame, kRdsReplySeek)) {
        return std::nullopt;
    }
    return RdsSeekReply{frame.At(5) == kRdsFlagSet, kRdsBaseFrequency + frame.At(4),
                        frame.At(6) == kRdsTunedMark};
}

RdsRawWords FormatRawWords(const RdsFrame& frame) {
    RdsRawWords words;
    for (std::size_t i = 0; i < words.size(); ++i) {
        // "0xHHLL" and its terminator.
        std::array<char, 7> text{};
        static_cast<void>(std::snprintf(text.data(), text.size(), "0x%02X%02X", frame.At(2 * i + 1),
                                        frame.At(2 * i + 2)));
        words[i] = text.data();
    }
    return words;
}
