#include <fstream>
#include <sstream>
#include <utility>

#include "line_parser.h"
#include "platform/text.h"
#include "script/file_kind.h"
#include "script/script.h"
#include "script/utf8_path.h"
#include "text_escapes.h"

namespace script {

std::string ScriptString(std::string_view text) {
    // A window's text ends at a zero byte; a script string cannot hold one.
    return detail::Quote(text.substr(0, text.find('\0')));
}

std::string Describe(const std::string& name, const ParseFailure& failure) {
    if (failure.line <= 0) {
        return name + ": " + failure.message;
    }
    return name + ":" + std::to_string(failure.line) + ": " + failure.message;
}

ParseResult ParseScript(std::string_view text, std::string name) {
    Script script;
    script.name = std::move(name);
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::string_view line = platform::Trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.find('\0') != std::string_view::npos) {
            return ParseFailure{lineNumber, "the line holds a NUL byte"};
        }
        std::vector<detail::Word> words;
        if (const platform::Result<void> split = detail::SplitWords(line, &words); !split) {
            return ParseFailure{lineNumber, split.error()};
        }
        platform::Result<Action> parsed = detail::ParseLine(line, std::move(words));
        if (!parsed) {
            return ParseFailure{lineNumber, parsed.error()};
        }
        script.commands.push_back(Command{lineNumber, std::string(line), std::move(*parsed)});
    }
    return script;
}

ParseResult LoadScriptFile(const std::filesystem::path& file) {
    if (const std::string kind = NotAFile(file); !kind.empty()) {
        return ParseFailure{0, "is " + kind + ", not a script"};
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return ParseFailure{0, "cannot read the script"};
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return ParseFailure{0, "cannot read the script"};
    }
    ParseResult result = ParseScript(text.str(), Utf8FromPath(file));
    if (result) {
        if (result->commands.empty()) {
            // Most likely the wrong file, or one cut short: it proves nothing.
            return ParseFailure{0, "the script holds no command"};
        }
        result->folder = file.parent_path();
    }
    return result;
}

}  // namespace script
