#include "handle_table.h"

namespace win32::pc {

platform::HANDLE HandleTable::Add(std::shared_ptr<HandleObject> object) {
    std::lock_guard lock(mutex_);
    const auto h = static_cast<platform::HANDLE>(next_);
    next_ += 4;
    objects_.emplace(h, std::move(object));
    return h;
}

std::shared_ptr<HandleObject> HandleTable::FindAny(platform::HANDLE h) const {
    std::lock_guard lock(mutex_);
    const auto it = objects_.find(h);
    return it == objects_.end() ? nullptr : it->second;
}

std::shared_ptr<HandleObject> HandleTable::Take(platform::HANDLE h) {
    std::lock_guard lock(mutex_);
    const auto it = objects_.find(h);
    if (it == objects_.end()) {
        return nullptr;
    }
    std::shared_ptr<HandleObject> object = std::move(it->second);
    objects_.erase(it);
    return object;
}

}  // namespace win32::pc
