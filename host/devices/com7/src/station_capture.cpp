#include "host/com7/station_capture.h"

#include <utility>
#include <vector>

namespace host::com7 {

std::variant<StationCapture, CaptureError> MakeStationCapture(std::string_view text,
                                                              const StationIdentity& identity) {
    auto parsed = ParseCapture(text);
    if (auto* error = std::get_if<CaptureError>(&parsed)) {
        return std::move(*error);
    }
    auto& groups = std::get<std::vector<CapturedGroup>>(parsed);
    StationCapture capture;
    std::optional<std::uint16_t> pi = identity.pi;
    for (CapturedGroup& g : groups) {
        if (!g.Clean()) {
            continue;
        }
        g.group = identity.Apply(g.group);
        if (g.group.a == 0) {
            return CaptureError{g.line,
                                "block A 0000 would read as a reply on the module's line; give "
                                "the station a pi"};
        }
        if (!pi) {
            pi = g.group.a;
        }
    }
    capture.pi = pi.value_or(0);
    capture.schedule = std::make_shared<const CaptureSchedule>(groups);
    return capture;
}

}  // namespace host::com7
