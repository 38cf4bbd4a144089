// A registry value read whole: its size asked first, then its data, and
// both again while it outgrows what was asked for (another program may
// rewrite it between the two queries).
#pragma once

#include <functional>
#include <vector>

#include "win32_api.h"

namespace win32::pc {

// One RegQueryValueEx of a value: data null asks for its type and size.
using ValueQuery = std::function<LONG(::DWORD* type, BYTE* data, ::DWORD* size)>;

struct WholeValue {
    ::DWORD type = 0;
    std::vector<BYTE> data;
};

// ERROR_SUCCESS with the value, or the query's own error (ERROR_MORE_DATA
// only when the value kept growing through every try).
LONG ReadWholeValue(const ValueQuery& query, WholeValue* out);

}  // namespace win32::pc
