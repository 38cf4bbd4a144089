// Tests that open an SDL window skip without a display, except in CI
// (CI=true), where a skip would count as passed and hide a missing Xvfb:
// there they fail.
#pragma once

#include <cstdlib>
#include <string_view>

namespace test_support {

inline bool DisplayRequired() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string_view(ci) == "true";
}

inline constexpr const char* kNoDisplayInCi =
    "CI=true: the SDL tests need a display (run them under xvfb-run): ";

}  // namespace test_support
