// Unit paths and names as the virtual unit reads them: the platform's rules.
#pragma once

#include "platform/unit_paths.h"

namespace host::unit {

using platform::EqualsNoCase;
using platform::LessNoCase;
using platform::LowerAscii;
using platform::SplitPath;
using platform::SplitUnitPath;
using platform::WildcardMatch;

}  // namespace host::unit
