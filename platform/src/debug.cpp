#include <cstdarg>

#include "platform/api.h"

namespace platform {

void NKDbgPrintf(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::string text = FormatV(format, args);
    va_end(args);
    if (Installed().kernel != nullptr) {
        Installed().kernel->DebugOutput(text);
    }
}

}  // namespace platform
