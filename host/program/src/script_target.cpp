#include "host/script_target.h"

#include "host/unit/scheduler.h"
#include "host/unit/virtual_unit.h"

namespace host {

bool ScriptTarget::VirtualTime() const {
    return unit_.scheduler().IsVirtual();
}

std::uint64_t ScriptTarget::NowMs() const {
    return unit_.scheduler().NowMs();
}

void ScriptTarget::AdvanceTo(std::uint64_t ms) {
    unit_.scheduler().AdvanceTo(ms);
}

std::optional<std::uint64_t> ScriptTarget::NextDeadline() const {
    return unit_.scheduler().NextDeadline();
}

bool ScriptTarget::Quiescent() const {
    return unit_.Quiescent();
}

bool ScriptTarget::WaitQuiescent(std::chrono::milliseconds limit) {
    return unit_.scheduler().WaitQuiescent(limit);
}

std::string ScriptTarget::Activity() const {
    return std::to_string(unit_.scheduler().LiveThreads()) + " threads live, " +
           std::to_string(unit_.scheduler().BlockedThreads()) + " blocked";
}

platform::Result<void> ScriptTarget::Set(std::string_view key, std::string_view value) {
    if (const auto error = unit_.Set(key, value)) {
        return platform::Fail(error->Text());
    }
    return {};
}

std::vector<std::string> ScriptTarget::DebugLines() const {
    return unit_.DebugLines();
}

void ScriptTarget::Stop() {
    unit_.scheduler().Shutdown();
}

}  // namespace host
