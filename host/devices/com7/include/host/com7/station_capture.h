// A capture made ready for its station: read, the station's record laid
// over its groups, and scheduled on air. The file itself is found and read
// by the component.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <variant>

#include "host/com7/capture_schedule.h"
#include "host/com7/group_capture.h"
#include "host/com7/station.h"

namespace host::com7 {

struct StationCapture {
    std::shared_ptr<const CaptureSchedule> schedule;
    std::uint16_t pi = 0;  // the station's PI: the record's, else the first clean group's
};

// A malformed line, a capture without a group, or a group whose block A
// would read 0000 on the line is the error (naming its line).
std::variant<StationCapture, CaptureError> MakeStationCapture(std::string_view text,
                                                              const StationIdentity& identity);

}  // namespace host::com7
