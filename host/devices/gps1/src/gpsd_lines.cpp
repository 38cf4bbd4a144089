#include "gpsd_lines.h"

#include <algorithm>

namespace host::gps1 {

namespace {

constexpr std::size_t kStrangerShown = 60;

bool IsBanner(std::string_view line) {
    return line.starts_with('{') && line.find("\"class\":\"VERSION\"") != std::string_view::npos;
}

// A sentence: "$" for NMEA, "!" for the encapsulated kind (AIS), and no
// control byte in it (one would cut it or act on a terminal).
bool IsSentence(std::string_view line) {
    return (line.starts_with('$') || line.starts_with('!')) &&
           std::none_of(line.begin(), line.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

std::string GpsdLineFilter::Feed(std::string_view bytes) {
    std::string out;
    lines_.Feed(bytes, [this, &out](std::string_view line, bool overlong) {
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (greeting_ == Greeting::Pending) {
            if (!overlong && IsBanner(line)) {
                greeting_ = Greeting::Gpsd;
            } else {
                greeting_ = Greeting::Other;
                const std::string_view shown = line.substr(0, kStrangerShown);
                stranger_.assign(shown.begin(), shown.end());
            }
            return;
        }
        if (greeting_ != Greeting::Gpsd || overlong || !IsSentence(line)) {
            return;
        }
        out.append(line).append("\r\n");
    });
    return out;
}

void GpsdLineFilter::Reset() {
    lines_.Reset();
    greeting_ = Greeting::Pending;
    stranger_.clear();
}

}  // namespace host::gps1
