#include "host/script_target.h"

#include <filesystem>
#include <fstream>
#include <iterator>

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

platform::Traffic* ScriptTarget::Traffic() {
    return &unit_.traffic();
}

platform::Result<std::optional<std::string>> ScriptTarget::FileContent(
    std::string_view unitPath) const {
    const auto host = unit_.HostPath(unitPath);
    if (!host) {
        return std::optional<std::string>();  // a folder on the way is missing
    }
    std::error_code error;
    const auto status = std::filesystem::status(*host, error);
    if (!std::filesystem::exists(status)) {
        return std::optional<std::string>();
    }
    if (!std::filesystem::is_regular_file(status)) {
        return platform::Fail("\"" + std::string(unitPath) + "\" is no file");
    }
    std::ifstream in(*host, std::ios::binary);
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return platform::Fail("\"" + std::string(unitPath) + "\" cannot be read");
    }
    return std::optional<std::string>(std::move(content));
}

platform::Result<bool> ScriptTarget::RegistryKeyPresent(std::string_view key) const {
    return unit_.RegistryKeyExists(key);
}

void ScriptTarget::Stop() {
    unit_.scheduler().Shutdown();
}

}  // namespace host
