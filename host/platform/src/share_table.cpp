#include "share_table.h"

namespace host::unit {

using namespace platform;

DWORD ShareTable::Take(const std::string& key, DWORD access, DWORD share, std::uint64_t* id) {
    const auto wants = [](DWORD a, DWORD bit) { return (a & bit) != 0; };
    const auto allows = [](DWORD s, DWORD bit) { return (s & bit) != 0; };
    std::lock_guard lock(mutex_);
    auto [first, last] = holders_.equal_range(key);
    for (auto it = first; it != last; ++it) {
        const Holder& h = it->second;
        const bool conflict =
            (wants(access, GENERIC_READ) && !allows(h.share, FILE_SHARE_READ)) ||
            (wants(access, GENERIC_WRITE) && !allows(h.share, FILE_SHARE_WRITE)) ||
            (wants(h.access, GENERIC_READ) && !allows(share, FILE_SHARE_READ)) ||
            (wants(h.access, GENERIC_WRITE) && !allows(share, FILE_SHARE_WRITE));
        if (conflict) {
            return ERROR_SHARING_VIOLATION;
        }
    }
    *id = nextId_++;
    holders_.emplace(key, Holder{*id, access, share});
    return ERROR_SUCCESS;
}

void ShareTable::Drop(std::uint64_t id) {
    std::lock_guard lock(mutex_);
    std::erase_if(holders_, [id](const auto& entry) { return entry.second.id == id; });
}

bool ShareTable::Held(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return holders_.contains(key);
}

}  // namespace host::unit
