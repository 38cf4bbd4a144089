// What the program needs of the file system beyond std::filesystem: a lock
// that a process holds until it ends, however it ends, and two folders
// exchanged in one step, where the system can.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace program::detail {

// Why a lock cannot be had: the process that has it ("process 1234",
// "another process" when the file does not say), or else the system's reason.
struct LockRefused {
    std::string holder;
    std::string why;
};

class FileLock {
  public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    virtual ~FileLock() = default;  // lets go

    enum class Make { IfMissing, Never };
    // The lock of file (made when missing, if make says so), which then
    // holds text and "process N\n", this process's id; why not when it
    // cannot be had.
    static platform::Result<std::unique_ptr<FileLock>, LockRefused> Take(
        const std::filesystem::path& file, std::string_view text, Make make);
};

// Whether a folder can be moved while a file in it is open (a lock held in
// it): yes on POSIX systems, no on a PC.
bool FoldersMoveWithFilesOpen();

// The folders' places exchanged: a holds what b held and b what a held; in
// one step where the file system can, else by three renames.
platform::Result<void> ExchangeFolders(const std::filesystem::path& a,
                                       const std::filesystem::path& b);

// This process's id.
long ProcessId();

}  // namespace program::detail
