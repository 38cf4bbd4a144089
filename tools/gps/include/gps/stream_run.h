// How the gps programs of both backends run the tool: over the backend's
// services, with its message boxes written to a stream as "<caption>:
// <text>" and answered OK at once (a program without a window).
#pragma once

#include <ostream>
#include <span>
#include <string_view>

#include "platform/services.h"

namespace gps {

// Installs services with that prompt for the run, runs the tool on the
// words (JoinHostArguments) and returns its exit status.
int RunWithStreamPrompt(platform::Services services, std::span<const std::string_view> words,
                        std::ostream& err);

}  // namespace gps
