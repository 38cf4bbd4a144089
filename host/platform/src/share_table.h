// Who holds each open file and device, with what access and share mode: an
// open is refused with ERROR_SHARING_VIOLATION when its access is not shared
// by an open already there, or its share mode leaves out that open's access
// (Win32's rules for CreateFile). Thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/win_types.h"

namespace host::unit {

class ShareTable {
  public:
    // Records an open of key (a file's host path, "device:PWM1:") and gives
    // its id for Drop, or tells why it is refused.
    platform::DWORD Take(const std::string& key, platform::DWORD access, platform::DWORD share,
                         std::uint64_t* id);
    void Drop(std::uint64_t id);
    // Whether anything holds key open.
    [[nodiscard]] bool Held(const std::string& key) const;

  private:
    struct Holder {
        std::uint64_t id;
        platform::DWORD access;
        platform::DWORD share;
    };
    mutable std::mutex mutex_;
    std::multimap<std::string, Holder> holders_;
    std::uint64_t nextId_ = 1;
};

}  // namespace host::unit
