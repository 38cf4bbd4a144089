// The unit's file system: unit paths resolved under fs/ with case-insensitive,
// case-preserving lookup at every component. Nothing resolves outside fs/:
// malformed paths, "..", and symbolic links whose target lies outside all
// give ERROR_PATH_NOT_FOUND.
//
// Layered, fs/ is two folders: the unit's own (written, made when first
// needed) over a pristine one that is only ever read. A file is copied up
// into the unit's own folder when it is first written, a file deleted there
// is hidden, and a search sees both as one.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/win_types.h"

namespace host::unit {

struct FsEntry {
    std::filesystem::path host;  // where it is now (or would be created)
    std::filesystem::path rel;   // below fs/, as stored: the same in every layer
    std::string name;            // as stored on the host (empty for the root)
    bool exists = false;
    bool isDir = false;
};

class FileSystem {
  public:
    // root read and written in place; with pristine, root is written and
    // pristine read beneath it, never written.
    explicit FileSystem(const std::filesystem::path& root,
                        const std::optional<std::filesystem::path>& pristine = std::nullopt);

    [[nodiscard]] const std::filesystem::path& root() const { return root_; }

    // An existing entry, or the place where a new one would be created.
    // ERROR_PATH_NOT_FOUND for a bad path or a missing folder on the way.
    [[nodiscard]] std::variant<FsEntry, platform::DWORD> Resolve(std::string_view unitPath) const;
    // A folder given by its components (all must exist).
    [[nodiscard]] std::variant<FsEntry, platform::DWORD> ResolveDir(
        const std::vector<std::string>& components) const;

    // Entries of a folder whose names match a FindFirstFile pattern, in
    // case-insensitive name order; links leading out of fs/ are left out.
    [[nodiscard]] std::vector<FsEntry> List(const FsEntry& dir, std::string_view pattern) const;

    // Whether a host path, with every link followed, stays inside fs/.
    [[nodiscard]] bool Inside(const std::filesystem::path& host) const;

    // The host path a write of entry goes to: in place, or layered the
    // unit's own copy, made the first time with the pristine content (with
    // keepContent) and the folders on the way. Or the Win32 error.
    std::variant<std::filesystem::path, platform::DWORD> Writable(const FsEntry& entry,
                                                                  bool keepContent);
    // Makes the missing folder entry; false when it cannot be made.
    bool MakeDir(const FsEntry& entry);
    // Deletes the file entry: 0, or the host's errno.
    int Remove(const FsEntry& entry);

    // The directory record of an existing host entry.
    static platform::WIN32_FIND_DATA FindData(const FsEntry& entry);

  private:
    struct Found {
        std::string name;
        bool own = false;  // in root_ (else only in pristine_)
    };
    [[nodiscard]] std::optional<Found> Lookup(const std::filesystem::path& rel,
                                              std::string_view name) const;
    // Names in the folder rel of each layer, the pristine ones hidden left out.
    [[nodiscard]] std::vector<Found> Names(const std::filesystem::path& rel) const;
    static std::vector<std::string> HostNames(const std::filesystem::path& dir);
    // Notes rel and the folders above it as made in root_; layersMutex_ held.
    void MadeOwnDirs(const std::filesystem::path& rel);
    [[nodiscard]] FsEntry RootEntry() const;
    [[nodiscard]] FsEntry Entry(const std::filesystem::path& rel, const Found& found) const;

    std::filesystem::path root_;
    std::optional<std::filesystem::path> pristine_;
    mutable std::mutex layersMutex_;
    std::set<std::filesystem::path> hidden_;   // pristine files deleted
    std::set<std::filesystem::path> ownDirs_;  // folders made in root_
    mutable std::map<std::filesystem::path, std::vector<std::string>> pristineNames_;
};

// 100 ns ticks since 1601 from a host time.
platform::FILETIME ToFileTime(std::int64_t unixSeconds, long nanoseconds);

}  // namespace host::unit
