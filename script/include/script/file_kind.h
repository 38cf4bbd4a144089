// A file a script or a run names (the script, a reference picture, a
// screenshot, an earlier run's results) must be a regular file: a FIFO or a
// device would hold the runner in its open or its first read for as long as
// nobody writes, and a folder is none.
#pragma once

#include <filesystem>
#include <string>

namespace script {

// "a folder", "a FIFO", "a device", "a socket" (or "an unknown kind of file")
// when the path names such a thing; empty when it names a regular file,
// links followed, or nothing at all.
std::string NotAFile(const std::filesystem::path& path);

}  // namespace script
