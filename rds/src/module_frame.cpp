#include "rds/module_frame.h"

#include <algorithm>

RdsFrame DecodeRdsFrame(const std::uint8_t* bytes, std::size_t length) {
    RdsFrame frame;
    if (bytes == nullptr || length < kRdsFrameSize || bytes[0] != kRdsFrameMarker ||
        bytes[kRdsFrameSize - 1] != kRdsFrameMarker) {
        return frame;
    }
    std::copy_n(bytes + 1, frame.bytes.size(), frame.bytes.begin());
    if (bytes[1] == 0 && bytes[2] == 0) {
        frame.kind = RdsFrameKind::Reply;
        frame.replyCode = bytes[3];
    } else {
        frame.kind = RdsFrameKind::RdsGroup;
    }
    return frame;
}
