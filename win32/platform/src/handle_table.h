// The backend's handles. Every handle the system holds is a number from
// this table, never a raw Win32 handle: a stale or made-up value (a "Hnd"
// read from the registry, a port already closed) can then never reach a
// real handle of the process. Values are not reused.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/win_types.h"

namespace win32::pc {

struct HandleObject {
    HandleObject() = default;
    HandleObject(const HandleObject&) = delete;
    HandleObject& operator=(const HandleObject&) = delete;
    virtual ~HandleObject() = default;
};

class HandleTable {
  public:
    platform::HANDLE Add(std::shared_ptr<HandleObject> object);
    // The object behind h when it is of kind T, else null.
    template <class T>
    std::shared_ptr<T> Find(platform::HANDLE h) const {
        return std::dynamic_pointer_cast<T>(FindAny(h));
    }
    std::shared_ptr<HandleObject> FindAny(platform::HANDLE h) const;
    // Removes h and returns its object (null when unknown).
    std::shared_ptr<HandleObject> Take(platform::HANDLE h);

  private:
    mutable std::mutex mutex_;
    std::map<platform::HANDLE, std::shared_ptr<HandleObject>> objects_;
    // Far from 0 and -1, and a multiple of 4 as Win32 handles are.
    std::uintptr_t next_ = 0x1000;
};

}  // namespace win32::pc
