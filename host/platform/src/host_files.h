// The host's file status, read with this build's 64-bit time_t and file
// offsets. On a 32-bit host whose C++ library keeps a 32-bit time_t
// (Debian 12's armhf) std::filesystem's status calls fail with EOVERFLOW
// for a file or folder dated past 2038, so that a folder seems not to be
// one and fs::copy stops at such a file; the unit's files go through these.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

namespace host::unit {

// Following links.
bool HostIsDirectory(const std::filesystem::path& p);
bool HostExists(const std::filesystem::path& p);
std::optional<std::uint64_t> HostFileSize(const std::filesystem::path& p);
// The entry itself.
bool HostIsSymlink(const std::filesystem::path& p);

// Copies the file `from` (a link: what it leads to) to `to`, which must not
// exist yet, with its mode, times and holes.
std::error_code DuplicateHostFile(const std::filesystem::path& from,
                                  const std::filesystem::path& to);
// Copies the folder `from` into the existing folder `to`, with its
// subfolders; links are copied as links, files with their modes and times.
std::error_code CopyHostTree(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace host::unit
