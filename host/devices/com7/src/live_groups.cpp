#include "live_groups.h"

#include <utility>

namespace host::com7 {

LiveGroupReader::LiveGroupReader(unit::UniqueFd fd, std::string source, OnGroup onGroup,
                                 Report report)
    : source_(std::move(source)), onGroup_(std::move(onGroup)), report_(std::move(report)) {
    reader_ = std::make_unique<unit::HostStreamReader>(
        std::move(fd), [this](std::string_view bytes) { Take(bytes); },
        [this] { report_("COM7: " + source_ + " ended: no more live RDS groups"); });
}

LiveGroupReader::~LiveGroupReader() {
    reader_.reset();
}

void LiveGroupReader::Take(std::string_view bytes) {
    lines_.Feed(bytes, [this](std::string_view line, bool overlong) { Line(line, overlong); });
}

void LiveGroupReader::Line(std::string_view line, bool overlong) {
    ++number_;
    if (number_ == 1 && line.starts_with(kUtf8ByteOrderMark)) {
        line.remove_prefix(kUtf8ByteOrderMark.size());
    }
    CaptureLine parsed = overlong ? CaptureLine(std::string("longer than ") +
                                                std::to_string(kCaptureLineMax - 1) + " bytes")
                                  : ParseCaptureLine(line);
    if (auto* group = std::get_if<CapturedGroup>(&parsed)) {
        group->line = number_;
        onGroup_(*group);
        return;
    }
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        ++malformed_;
        if (malformed_ <= kReportedLines) {
            report_("COM7: " + source_ + ":" + std::to_string(number_) + ": " + *error +
                    (malformed_ == kReportedLines ? " (further malformed lines are skipped quietly)"
                                                  : ""));
        }
    }
}

}  // namespace host::com7
