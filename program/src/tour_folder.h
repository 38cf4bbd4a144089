// A fresh folder for the tour's screenshots.
#pragma once

#include <filesystem>
#include <optional>

namespace program {

// <the system's temporary folder>/kestrin-tour-XXXXXX, made new (never one
// that was there); nullopt when none can be made.
std::optional<std::filesystem::path> MakeTourFolder();

}  // namespace program
