// The backend's part of a Windows program's command line, shared by the
// programs: --root DIR, --com7 COMn, --debug-echo.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win32/backend.h"

namespace win32 {

// Takes the backend's options out of `arguments` (wherever they stand; of
// several, the last wins) into `options`, and leaves the rest in order.
// Returns an error text for a missing value or a port that is not COM1 ..
// COM256.
std::optional<std::string> TakeBackendOptions(std::vector<std::string>& arguments,
                                              Options* options);

}  // namespace win32
