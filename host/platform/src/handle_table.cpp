#include "handle_table.h"

namespace host::unit {

platform::HANDLE HandleTable::Add(HandleObject object, const std::set<platform::DWORD>& avoid) {
    std::lock_guard lock(mutex_);
    platform::HANDLE h = 0;
    do {
        h = next_;
        next_ += 4;
    } while (avoid.contains(static_cast<platform::DWORD>(h)));
    objects_.emplace(h, std::move(object));
    return h;
}

std::optional<HandleObject> HandleTable::Get(platform::HANDLE h) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(h);
    if (it == objects_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<HandleObject> HandleTable::Remove(platform::HANDLE h) {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(h);
    if (it == objects_.end()) {
        return std::nullopt;
    }
    return std::move(objects_.extract(it).mapped());
}

std::vector<std::shared_ptr<FileObject>> HandleTable::Files() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<FileObject>> files;
    for (const auto& [h, object] : objects_) {
        if (const auto* file = std::get_if<std::shared_ptr<FileObject>>(&object)) {
            files.push_back(*file);
        }
    }
    return files;
}

int HandleTable::Count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(objects_.size());
}

}  // namespace host::unit
