// One line of a script as a command: the first problem with it, or the
// command it names.
#pragma once

#include <string_view>
#include <vector>

#include "platform/result.h"
#include "script/script.h"
#include "text_escapes.h"

namespace script::detail {

// The command of a line split into words (words is not empty), or why it
// cannot run.
platform::Result<Action> ParseLine(std::string_view line, std::vector<Word> words);

}  // namespace script::detail
