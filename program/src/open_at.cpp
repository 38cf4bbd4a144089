#include "open_at.h"

#include <algorithm>
#include <system_error>

#include "program/suite.h"

namespace program::detail {

std::size_t LineCount(std::string_view text) {
    const auto breaks = static_cast<std::size_t>(std::ranges::count(text, '\n'));
    return breaks + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

std::vector<std::string> FirstLines(std::string_view text, std::size_t count) {
    std::vector<std::string> lines;
    while (lines.size() < count && !text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

platform::Result<std::size_t> CommandAtLine(const script::Script& s, std::size_t lines, int line) {
    if (line < 1 || static_cast<std::size_t>(line) > lines) {
        return platform::Fail("--open-at " + std::to_string(line) + ": " + s.name + " has " +
                              std::to_string(lines) + (lines == 1 ? " line" : " lines"));
    }
    const auto at = std::ranges::find_if(
        s.commands, [line](const script::Command& c) { return c.line >= line; });
    return static_cast<std::size_t>(at - s.commands.begin());
}

platform::Result<void> NamesTheScript(const std::filesystem::path& named,
                                      const std::filesystem::path& script) {
    std::error_code ec;
    if (std::filesystem::equivalent(named, script, ec)) {
        return {};
    }
    return platform::Fail("--open-at " + ShownName(named) +
                          ":LINE names another file than the "
                          "script " +
                          ShownName(script));
}

}  // namespace program::detail
