// --open-at: which command of a script the window opens before, and the
// script's lines before it (a recording's start).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "program/options.h"
#include "script/script.h"

namespace program::detail {

// The lines of a text (a last line without its line break counts).
std::size_t LineCount(std::string_view text);

// The text's first `count` lines as written, without their line breaks.
std::vector<std::string> FirstLines(std::string_view text, std::size_t count);

// The index of the command the window opens before: the first one on line
// `line` or after it (a comment or blank line opens at the next command;
// after the last command: commands.size(), the script's end). Why not when
// the line is past the script's `lines`.
platform::Result<std::size_t> CommandAtLine(const script::Script& s, std::size_t lines, int line);

// A FILE:LINE's FILE names the script given with --script (the same file,
// however it is written); why not.
platform::Result<void> NamesTheScript(const std::filesystem::path& named,
                                      const std::filesystem::path& script);

}  // namespace program::detail
