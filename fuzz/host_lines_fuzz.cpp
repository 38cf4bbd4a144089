// Input: one byte that seeds the chunk sizes, then text from the host. As a
// capture it either names a line or gives groups whose on-air times only go
// forward; as gpsd's stream it gives the same sentences however it is
// chunked, each a whole line ending in CR LF.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "com7/capture_schedule.h"
#include "com7/group_capture.h"
#include "com7/tuner_module.h"
#include "gpsd_lines.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckCapture(std::string_view text) {
    auto parsed = com7::ParseCapture(text);
    if (const auto* error = std::get_if<com7::CaptureError>(&parsed)) {
        Require(!error->message.empty());
        return;
    }
    const auto& groups = std::get<std::vector<com7::CapturedGroup>>(parsed);
    Require(!groups.empty());
    const com7::CaptureSchedule schedule(groups);
    if (schedule.Size() == 0) {
        return;
    }
    for (std::uint64_t n = 0; n + 1 < 2 * schedule.Size(); ++n) {
        Require(schedule.OffsetUs(n + 1) >= schedule.OffsetUs(n) + com7::GroupUs(1));
    }
}

std::string FilterGpsd(std::string_view text, std::uint8_t seed, bool whole) {
    gps1::GpsdLineFilter filter;
    if (whole) {
        return filter.Feed(text);
    }
    std::string out;
    std::uint32_t state = seed | 1U;
    while (!text.empty()) {
        state = state * 1103515245U + 12345U;
        const std::size_t size = std::min<std::size_t>(1 + (state >> 16) % 97, text.size());
        out += filter.Feed(text.substr(0, size));
        text.remove_prefix(size);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckCapture(text);

    const std::string whole = FilterGpsd(text, data[0], true);
    Require(whole == FilterGpsd(text, data[0], false));
    for (std::size_t at = 0; at < whole.size();) {
        const std::size_t end = whole.find("\r\n", at);
        Require(end != std::string::npos);
        Require(whole[at] == '$' || whole[at] == '!');
        at = end + 2;
    }
    return 0;
}
