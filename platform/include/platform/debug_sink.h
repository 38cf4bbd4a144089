// Where the debug output (NKDbgPrintfW) goes.
#pragma once

#include <string_view>

namespace platform {

class DebugSink {
  public:
    DebugSink() = default;
    DebugSink(const DebugSink&) = delete;
    DebugSink& operator=(const DebugSink&) = delete;
    virtual ~DebugSink() = default;

    // One line; the text carries its own "\r\n".
    virtual void DebugOutput(std::string_view text) = 0;
};

}  // namespace platform
