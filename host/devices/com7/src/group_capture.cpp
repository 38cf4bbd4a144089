#include "host/com7/group_capture.h"

#include <chrono>

#include "host/unit/host_report.h"
#include "platform/text.h"

namespace host::com7 {

namespace {

constexpr const char* kBlocksExpected =
    "expected four blocks of four hex digits, or ---- for a block in error";
constexpr const char* kStampExpected = "expected a time stamp @YYYY/MM/DD hh:mm:ss.ss";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void SkipBlanks(std::string_view& s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Exactly n decimal digits, taken off the front of s.
bool TakeDigits(std::string_view& s, std::size_t n, int* out) {
    if (s.size() < n) {
        return false;
    }
    int value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return false;
        }
        value = value * 10 + (s[i] - '0');
    }
    *out = value;
    s.remove_prefix(n);
    return true;
}

bool TakeChar(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) {
        return false;
    }
    s.remove_prefix(1);
    return true;
}

// "YYYY/MM/DD hh:mm:ss" with an optional fraction of 1 to 6 digits, and
// nothing after it.
std::optional<std::int64_t> ParseStamp(std::string_view s) {
    int y = 0;
    int mo = 0;
    int d = 0;
    int h = 0;
    int mi = 0;
    int sec = 0;
    if (!TakeDigits(s, 4, &y) || !TakeChar(s, '/') || !TakeDigits(s, 2, &mo) || !TakeChar(s, '/') ||
        !TakeDigits(s, 2, &d) || !TakeChar(s, ' ') || !TakeDigits(s, 2, &h) || !TakeChar(s, ':') ||
        !TakeDigits(s, 2, &mi) || !TakeChar(s, ':') || !TakeDigits(s, 2, &sec)) {
        return std::nullopt;
    }
    int fractionMs = 0;
    if (TakeChar(s, '.')) {
        std::size_t digits = 0;
        int scale = 100;
        while (!s.empty() && s.front() >= '0' && s.front() <= '9' && digits < 6) {
            fractionMs += (s.front() - '0') * scale;
            scale /= 10;
            s.remove_prefix(1);
            ++digits;
        }
        if (digits == 0) {
            return std::nullopt;
        }
    }
    using namespace std::chrono;
    const year_month_day date{year{y}, month{static_cast<unsigned>(mo)},
                              day{static_cast<unsigned>(d)}};
    if (!s.empty() || !date.ok() || h > 23 || mi > 59 || sec > 59) {
        return std::nullopt;
    }
    const std::int64_t days = sys_days{date}.time_since_epoch().count();
    return ((days * 24 + h) * 60 + mi) * 60'000 + std::int64_t{sec} * 1000 + fractionMs;
}

}  // namespace

CaptureLine ParseCaptureLine(std::string_view raw) {
    if (raw.size() >= kCaptureLineMax) {
        return std::string("longer than ") + std::to_string(kCaptureLineMax - 1) + " bytes";
    }
    std::string_view line = platform::Trim(raw);
    if (line.empty()) {
        return std::monostate{};
    }
    if (line.front() == '<') {
        if (line.back() != '>') {
            return std::string("a header or comment line must end with '>'");
        }
        return std::monostate{};
    }
    // The RDS2 data streams: the module's decoder hears stream 0 only.
    if (line.size() > 3 && line[0] == '#' && line[1] == 'S' && line[2] >= '1' && line[2] <= '3' &&
        IsBlank(line[3])) {
        return std::monostate{};
    }
    CapturedGroup g;
    std::uint16_t blocks[4] = {};
    for (int b = 0; b < 4; ++b) {
        if (b > 0) {
            if (line.empty() || !IsBlank(line.front())) {
                return std::string(kBlocksExpected);
            }
            SkipBlanks(line);
        }
        if (line.size() < 4 || (line.size() > 4 && !IsBlank(line[4]))) {
            return std::string(kBlocksExpected);
        }
        if (line.substr(0, 4) == "----") {
            g.errored = static_cast<std::uint8_t>(g.errored | (1U << b));
        } else {
            unsigned value = 0;
            for (std::size_t i = 0; i < 4; ++i) {
                const int digit = HexValue(line[i]);
                if (digit < 0) {
                    return std::string(kBlocksExpected);
                }
                value = value << 4 | static_cast<unsigned>(digit);
            }
            blocks[b] = static_cast<std::uint16_t>(value);
        }
        line.remove_prefix(4);
    }
    g.group = {blocks[0], blocks[1], blocks[2], blocks[3]};
    SkipBlanks(line);
    if (line.empty()) {
        return g;
    }
    if (line.front() != '@') {
        return "unexpected text after the four blocks: \"" + unit::EscapeControls(line) + "\"";
    }
    g.stampMs = ParseStamp(line.substr(1));
    if (!g.stampMs) {
        return std::string(kStampExpected);
    }
    return g;
}

std::variant<std::vector<CapturedGroup>, CaptureError> ParseCapture(std::string_view text) {
    if (text.starts_with(kUtf8ByteOrderMark)) {
        text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    std::vector<CapturedGroup> groups;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        CaptureLine parsed = ParseCaptureLine(line);
        if (auto* error = std::get_if<std::string>(&parsed)) {
            return CaptureError{number, std::move(*error)};
        }
        if (auto* group = std::get_if<CapturedGroup>(&parsed)) {
            group->line = number;
            groups.push_back(*group);
        }
    }
    if (groups.empty()) {
        return CaptureError{0, "no RDS group in it"};
    }
    return groups;
}

}  // namespace host::com7
