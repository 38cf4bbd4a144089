// Groups that come live from the host, in the capture format one a line, as
// `redsea -x` writes them while it decodes an SDR receiver's output: each
// parsed line is handed on as it arrives. A byte-order mark before the
// first line is skipped, as in a capture file. Malformed lines are reported
// (the first few) and skipped; time stamps are not looked at, since the
// groups keep the time they arrive at.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/com7/group_capture.h"
#include "host/unit/host_stream_reader.h"
#include "host/unit/line_splitter.h"

namespace host::com7 {

class LiveGroupReader {
  public:
    using OnGroup = std::function<void(const CapturedGroup&)>;
    using Report = std::function<void(const std::string&)>;

    // Malformed lines reported before the reader falls silent about them.
    static constexpr int kReportedLines = 5;

    // Reads fd at once; `source` names it in reports ("standard input").
    LiveGroupReader(unit::UniqueFd fd, std::string source, OnGroup onGroup, Report report);
    ~LiveGroupReader();
    LiveGroupReader(const LiveGroupReader&) = delete;
    LiveGroupReader& operator=(const LiveGroupReader&) = delete;

  private:
    void Take(std::string_view bytes);
    void Line(std::string_view line, bool overlong);

    std::string source_;
    OnGroup onGroup_;
    Report report_;
    unit::LineSplitter lines_{kCaptureLineMax - 1};
    int number_ = 0;
    int malformed_ = 0;
    std::unique_ptr<unit::HostStreamReader> reader_;  // last: stops first
};

}  // namespace host::com7
