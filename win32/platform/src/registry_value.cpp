#include "registry_value.h"

#include <algorithm>

namespace win32::pc {

LONG ReadWholeValue(const ValueQuery& query, WholeValue* out) {
    // A value rewritten faster than it can be read is given up on.
    constexpr int kTries = 8;
    LONG result = ERROR_MORE_DATA;
    for (int tries = 0; tries < kTries && result == ERROR_MORE_DATA; ++tries) {
        ::DWORD type = 0;
        ::DWORD size = 0;
        result = query(&type, nullptr, &size);
        if (result != ERROR_SUCCESS) {
            return result;
        }
        std::vector<BYTE> data(std::max<::DWORD>(size, 1));
        result = query(&type, data.data(), &size);
        if (result == ERROR_SUCCESS) {
            data.resize(size);
            out->type = type;
            out->data = std::move(data);
        }
    }
    return result;
}

}  // namespace win32::pc
