// Text for XML and HTML reports and for names on the terminal: always
// well-formed UTF-8 that shows what it holds, whatever bytes a script's
// name, its strings or the unit's output hold.
#pragma once

#include <string>
#include <string_view>

namespace program::detail {

// text for an element: the markup characters escaped, every byte that is
// not part of valid UTF-8, every control character XML 1.0 cannot carry
// (tab, line feed and carriage return stay) and the characters that reorder
// text (U+202A to U+202E, U+2066 to U+2069) shown as \xHH.
std::string XmlText(std::string_view text);

// text for an attribute's value: as XmlText, with tab, line feed and
// carriage return written as references, which a reader keeps (it makes
// spaces of them as they are).
std::string XmlAttribute(std::string_view text);

// text for the terminal: every control character (tab and line feed too),
// every byte that is not part of valid UTF-8 and the characters that
// reorder text shown as \xHH.
std::string Shown(std::string_view text);

}  // namespace program::detail
