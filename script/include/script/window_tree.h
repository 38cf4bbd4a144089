// The windows of a desktop as data: each top-level window (topmost first)
// with its controls, their ids, classes, texts, screen rectangles and
// states, as JSON, so that a failure can be read without its picture.
#pragma once

#include <string>
#include <string_view>

#include "ui/desktop.h"

namespace script {

// {"windows": [{"id", "class", "text", "rect": {"left", "top", "right",
// "bottom"}, "visible", "enabled", "checked", "active", "children": [...]}]}
// "checked" is true, false or "indeterminate" for a button that has a check
// state, null otherwise; "active" is true for the window that takes input.
std::string WindowTreeJson(const ui::Desktop& desktop);

// text as a JSON string, quotes included, in ASCII: characters outside it as
// \uXXXX (pairs above U+FFFF), control characters escaped, and what is not
// UTF-8 (a lone surrogate's bytes among it) as U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace script
