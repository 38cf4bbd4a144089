// The unit's file system: unit paths resolved under fs/ with case-insensitive,
// case-preserving lookup at every component. Nothing resolves outside fs/:
// malformed paths, "..", and symbolic links whose target lies outside all
// give ERROR_PATH_NOT_FOUND.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/win_types.h"

namespace host::unit {

struct FsEntry {
    std::filesystem::path host;
    std::string name;  // as stored on the host (empty for the root)
    bool exists = false;
    bool isDir = false;
};

class FileSystem {
  public:
    explicit FileSystem(std::filesystem::path root);

    [[nodiscard]] const std::filesystem::path& root() const { return root_; }

    // An existing entry, or the place where a new one would be created.
    // ERROR_PATH_NOT_FOUND for a bad path or a missing folder on the way.
    [[nodiscard]] std::variant<FsEntry, platform::DWORD> Resolve(std::string_view unitPath) const;
    // A folder given by its components (all must exist).
    [[nodiscard]] std::variant<FsEntry, platform::DWORD> ResolveDir(
        const std::vector<std::string>& components) const;

    // Entries of a folder whose names match a FindFirstFile pattern, in
    // case-insensitive name order; links leading out of fs/ are left out.
    [[nodiscard]] std::vector<FsEntry> List(const std::filesystem::path& dir,
                                            std::string_view pattern) const;

    // Whether a host path, with every link followed, stays inside fs/.
    [[nodiscard]] bool Inside(const std::filesystem::path& host) const;

    // The directory record of an existing host entry.
    static platform::WIN32_FIND_DATA FindData(const FsEntry& entry);

  private:
    [[nodiscard]] std::optional<std::string> Lookup(const std::filesystem::path& dir,
                                                    std::string_view name) const;
    std::filesystem::path root_;
};

// 100 ns ticks since 1601 from a host time.
platform::FILETIME ToFileTime(std::int64_t unixSeconds, long nanoseconds);

}  // namespace host::unit
