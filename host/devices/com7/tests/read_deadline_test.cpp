// When a read gives up, for the time-out settings drivers meet in practice.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "host/com7/read_deadline.h"

namespace host::com7 {
namespace {

constexpr platform::DWORD kMax = 0xFFFFFFFFU;
using Deadline = std::optional<std::uint64_t>;

struct DeadlineCase {
    const char* name;
    platform::COMMTIMEOUTS timeouts;
    platform::DWORD toRead;
    bool immediate;
    bool anyByte;
    Deadline beforeFirstByte;  // started at 1000, nothing read yet
    Deadline afterByteAt1500;  // 3 bytes read, the last at 1500
};

TEST(ReadDeadline, FollowsTheWin32Rules) {
    const std::vector<DeadlineCase> cases = {
        {"all zero: wait for everything", {0, 0, 0, 0, 0}, 10, false, false, {}, {}},
        {"the module check: 100 ms gap, 100 per byte + 10",
         {100, 100, 10, 0, 0},
         10,
         false,
         false,
         2010,
         1600},
        {"interval only", {50, 0, 0, 0, 0}, 10, false, false, {}, 1550},
        {"total only", {0, 10, 5, 0, 0}, 4, false, false, 1045, 1045},
        {"interval later than the total", {900, 0, 200, 0, 0}, 1, false, false, 1200, 1200},
        {"return at once", {kMax, 0, 0, 0, 0}, 10, true, false, {}, {}},
        {"first byte or the constant", {kMax, kMax, 250, 0, 0}, 10, false, true, 1250, 1250},
        {"MAXDWORD both, no constant: at once", {kMax, kMax, 0, 0, 0}, 10, true, false, {}, {}},
        {"MAXDWORD interval with a total", {kMax, 0, 300, 0, 0}, 10, false, false, 1300, 1300},
        {"huge multiplier does not wrap",
         {0, kMax, kMax, 0, 0},
         kMax,
         false,
         false,
         1000 + std::uint64_t{kMax} * kMax + kMax,
         1000 + std::uint64_t{kMax} * kMax + kMax},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadDeadline d(c.timeouts, c.toRead, 1000);
        EXPECT_EQ(d.Immediate(), c.immediate);
        EXPECT_EQ(d.ReturnOnAnyByte(), c.anyByte);
        if (!c.immediate) {
            EXPECT_EQ(d.Deadline(0, 1000), c.beforeFirstByte);
            EXPECT_EQ(d.Deadline(3, 1500), c.afterByteAt1500);
        }
    }
}

}  // namespace
}  // namespace host::com7
