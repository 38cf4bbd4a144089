// The one handle table of the unit: files, searches, devices, threads and
// activated devices. Values are never reused, so a stale handle can never
// reach a newer object.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "host/unit/driver.h"
#include "host/unit/scheduler.h"
#include "host/unit/unique_fd.h"
#include "platform/win_types.h"

namespace host::unit {

struct DeviceSlot;

struct FileObject {
    UniqueFd fd;
    std::string unitPath;  // as opened, for fault arguments
    std::uint64_t shareId = 0;
    int oflags = 0;  // as opened, without what creates or empties it
    std::mutex hostMutex;
    std::filesystem::path host;  // the file fd is on
};

struct FindObject {
    std::mutex mutex;
    std::vector<platform::WIN32_FIND_DATA> entries;
    std::size_t next = 0;
};

struct DeviceObject {
    DeviceSlot* slot = nullptr;
    std::shared_ptr<DeviceOpen> open;
    std::uint64_t shareId = 0;
};

struct ThreadRecord {
    explicit ThreadRecord(Scheduler& s) : done(s) {}
    std::mutex mutex;
    bool finished = false;
    platform::DWORD exitCode = 259;  // STILL_ACTIVE
    int priority = 3;
    WaitPoint done;
    std::thread thread;
};

struct ActivatedObject {
    platform::DWORD hnd = 0;
};

using HandleObject =
    std::variant<std::shared_ptr<FileObject>, std::shared_ptr<FindObject>,
                 std::shared_ptr<DeviceObject>, std::shared_ptr<ThreadRecord>, ActivatedObject>;

class HandleTable {
  public:
    // A new handle value, skipping the values in avoid.
    platform::HANDLE Add(HandleObject object, const std::set<platform::DWORD>& avoid = {});
    [[nodiscard]] std::optional<HandleObject> Get(platform::HANDLE h) const;
    std::optional<HandleObject> Remove(platform::HANDLE h);
    [[nodiscard]] int Count() const;
    // The open files, as they are now.
    [[nodiscard]] std::vector<std::shared_ptr<FileObject>> Files() const;

  private:
    mutable std::mutex mutex_;
    std::map<platform::HANDLE, HandleObject> objects_;
    platform::HANDLE next_ = 0x1000;
};

}  // namespace host::unit
