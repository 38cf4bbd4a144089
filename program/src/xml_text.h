// Text for XML and HTML reports: always well-formed UTF-8, whatever bytes a
// script's name, its strings or the unit's output hold.
#pragma once

#include <string>
#include <string_view>

namespace program::detail {

// text for an attribute or element: the markup characters escaped, every
// byte that is not part of valid UTF-8 and every control character XML 1.0
// cannot carry (tab, line feed and carriage return stay) shown as \xHH.
std::string XmlText(std::string_view text);

}  // namespace program::detail
