#include "host/com7/read_deadline.h"

#include <algorithm>

namespace host::com7 {

namespace {

constexpr platform::DWORD kMaxDword = 0xFFFFFFFFU;

}  // namespace

ReadDeadline::ReadDeadline(const platform::COMMTIMEOUTS& timeouts, platform::DWORD toRead,
                           std::uint64_t startMs) {
    const platform::DWORD interval = timeouts.ReadIntervalTimeout;
    const platform::DWORD multiplier = timeouts.ReadTotalTimeoutMultiplier;
    const platform::DWORD constant = timeouts.ReadTotalTimeoutConstant;
    if (interval == kMaxDword && multiplier == 0 && constant == 0) {
        immediate_ = true;
        return;
    }
    if (interval == kMaxDword && multiplier == kMaxDword) {
        if (constant == 0 || constant == kMaxDword) {
            immediate_ = true;
            return;
        }
        anyByte_ = true;
        total_ = startMs + constant;
        return;
    }
    if (multiplier != 0 || constant != 0) {
        // 64 bits: a large multiplier times a large count must not wrap.
        total_ = startMs + std::uint64_t{multiplier} * toRead + constant;
    }
    if (interval != 0 && interval != kMaxDword) {
        interval_ = interval;
    }
}

std::optional<std::uint64_t> ReadDeadline::Deadline(platform::DWORD got,
                                                    std::uint64_t lastByteMs) const {
    std::optional<std::uint64_t> deadline = total_;
    if (interval_ && got > 0) {
        const std::uint64_t byInterval = lastByteMs + *interval_;
        deadline = deadline ? std::min(*deadline, byInterval) : byInterval;
    }
    return deadline;
}

}  // namespace host::com7
