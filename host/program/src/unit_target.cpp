#include "program/unit_target.h"

#include "unit/scheduler.h"
#include "unit/virtual_unit.h"

namespace program {

bool UnitTarget::VirtualTime() const {
    return unit_.scheduler().IsVirtual();
}

std::uint64_t UnitTarget::NowMs() const {
    return unit_.scheduler().NowMs();
}

void UnitTarget::AdvanceTo(std::uint64_t ms) {
    unit_.scheduler().AdvanceTo(ms);
}

std::optional<std::uint64_t> UnitTarget::NextDeadline() const {
    return unit_.scheduler().NextDeadline();
}

bool UnitTarget::Quiescent() const {
    return unit_.Quiescent();
}

bool UnitTarget::WaitQuiescent(std::chrono::milliseconds limit) {
    return unit_.scheduler().WaitQuiescent(limit);
}

std::string UnitTarget::Activity() const {
    return std::to_string(unit_.scheduler().LiveThreads()) + " threads live, " +
           std::to_string(unit_.scheduler().BlockedThreads()) + " blocked";
}

std::optional<std::string> UnitTarget::Set(std::string_view key, std::string_view value) {
    if (const auto error = unit_.Set(key, value)) {
        return error->Text();
    }
    return std::nullopt;
}

std::vector<std::string> UnitTarget::DebugLines() const {
    return unit_.DebugLines();
}

}  // namespace program
