// Recorded RDS groups in the RDS Spy log format, which redsea also reads and
// writes (its hex mode): one group a line, blocks A B C D as four hex digits
// each, "----" for a block received in error, optionally followed by a time
// stamp "@2016/09/15 12:34:56.78". Lines in angle brackets are headers and
// comments; blank lines and the RDS2 data streams (lines starting "#S1 " to
// "#S3 ") carry nothing for the tuner module's decoder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/com7/rds_group.h"

namespace host::com7 {

struct CapturedGroup {
    RdsGroup group;            // a block in error reads 0
    std::uint8_t errored = 0;  // bit 0: block A ... bit 3: block D
    // Milliseconds since 1970-01-01, taken as written (no time zone).
    std::optional<std::int64_t> stampMs;
    int line = 0;  // 1-based, in the capture

    [[nodiscard]] bool Clean() const { return errored == 0; }
};

// What an editor may put before the first line; it is not part of it.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The bytes one line may hold, its end included.
inline constexpr std::size_t kCaptureLineMax = 256;

// One line without its line end: nothing (header, comment, blank, another
// data stream), a group, or why the line is neither.
using CaptureLine = std::variant<std::monostate, CapturedGroup, std::string>;
CaptureLine ParseCaptureLine(std::string_view raw);

struct CaptureError {
    int line = 0;
    std::string message;
};

// A whole capture; the first malformed line is the error. A capture without
// a single group is one too.
std::variant<std::vector<CapturedGroup>, CaptureError> ParseCapture(std::string_view text);

}  // namespace host::com7
