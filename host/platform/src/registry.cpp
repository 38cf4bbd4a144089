#include "registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "devices/driver_keys.h"
#include "host/unit/unique_fd.h"
#include "host_files.h"
#include "platform/last_error.h"
#include "unit_path.h"

namespace host::unit {

using namespace platform;

namespace {

std::optional<std::string> KeyPath(const std::map<HKEY, std::string>& open, HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        return std::string();
    }
    auto it = open.find(key);
    if (it == open.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::string Join(const std::string& base, const std::string& sub) {
    if (base.empty()) {
        return sub;
    }
    return sub.empty() ? base : base + "\\" + sub;
}

}  // namespace

UnitRegistry::UnitRegistry(std::filesystem::path file, HandleTable& handles,
                           platform::Traffic& traffic, std::filesystem::path pristine)
    : file_(std::move(file)),
      pristine_(std::move(pristine)),
      handles_(handles),
      traffic_(traffic) {}

std::optional<ConfigError> UnitRegistry::Load() {
    const std::filesystem::path& from = pristine_.empty() || HostExists(file_) ? file_ : pristine_;
    if (!HostExists(from)) {
        return std::nullopt;
    }
    std::ifstream in(from, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    auto parsed = RegistryStore::Parse(text.str(), from.string());
    if (!parsed) {
        return parsed.error();
    }
    std::lock_guard lock(mutex_);
    store_ = std::move(*parsed);
    return std::nullopt;
}

DWORD UnitRegistry::Save() {
    const std::string text = store_.Write();
    auto tmp = file_;
    tmp += ".tmp";
    if (!pristine_.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(file_.parent_path(), ec);  // made when first written
    }
    UniqueFd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        return ERROR_ACCESS_DENIED;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
        if (n <= 0) {
            fd.reset();
            ::unlink(tmp.c_str());
            return ERROR_ACCESS_DENIED;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0 ||
        ::rename(tmp.c_str(), file_.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

LONG UnitRegistry::RegOpenKeyEx(HKEY root, std::string_view subKey, DWORD /*options*/,
                                DWORD /*access*/, HKEY* key) {
    if (key == nullptr) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(mutex_);
    const auto base = KeyPath(openKeys_, root);
    if (!base) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    const auto sub = RegistryStore::Normalize(subKey);
    if (!sub) {
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }
    const std::string path = Join(*base, *sub);
    if (!store_.Exists(path)) {
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }
    *key = nextKey_;
    nextKey_ += 2;
    openKeys_[*key] = path;
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG UnitRegistry::RegQueryValueEx(HKEY key, std::string_view name, DWORD* type, BYTE* data,
                                   DWORD* size) {
    std::lock_guard lock(mutex_);
    const auto path = KeyPath(openKeys_, key);
    if (!path) {
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    }
    if (!store_.Exists(*path)) {
        return static_cast<LONG>(ERROR_KEY_DELETED);
    }
    const auto* k = store_.FindKey(*path);
    const auto* v = k != nullptr ? RegistryStore::FindValue(*k, name) : nullptr;
    if (v == nullptr) {
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }
    if (data != nullptr && size == nullptr) {
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    }
    std::string bytes;
    if (v->value.type == REG_DWORD) {
        bytes.resize(4);
        std::memcpy(bytes.data(), &v->value.dword, 4);
    } else {
        bytes = v->value.text;
        bytes.push_back('\0');
    }
    if (type != nullptr) {
        *type = v->value.type;
    }
    const auto needed = static_cast<DWORD>(bytes.size());
    if (size != nullptr) {
        if (data != nullptr && *size < needed) {
            *size = needed;
            return static_cast<LONG>(ERROR_MORE_DATA);
        }
        if (data != nullptr) {
            // Raw value bytes, as stored (a string value keeps its own terminator).
            std::memcpy(data, bytes.data(), needed);  // NOLINT(bugprone-not-null-terminated-result)
        }
        *size = needed;
    }
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG UnitRegistry::RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        return static_cast<LONG>(ERROR_SUCCESS);
    }
    std::lock_guard lock(mutex_);
    return static_cast<LONG>(openKeys_.erase(key) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}

HANDLE UnitRegistry::ActivateDevice(std::string_view key, DWORD /*clientInfo*/) {
    std::lock_guard lock(mutex_);
    RegistryStore& reg = store_;
    const auto path = RegistryStore::Normalize(key);
    const auto* builtIn = path ? reg.FindKey(*path) : nullptr;
    const auto* prefix =
        builtIn != nullptr ? RegistryStore::FindValue(*builtIn, "Prefix") : nullptr;
    if (prefix == nullptr || prefix->value.type != REG_SZ || prefix->value.text.size() != 3) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const auto* index = RegistryStore::FindValue(*builtIn, "Index");

    // Names and handles already taken by active entries.
    std::set<std::string> activeNames;
    std::set<DWORD> activeHandles;
    for (const auto& sub : reg.SubKeys(kActiveDriversKey)) {
        if (const auto* k = reg.FindKey(std::string(kActiveDriversKey) + "\\" + sub)) {
            if (const auto* n = RegistryStore::FindValue(*k, "Name")) {
                activeNames.insert(LowerAscii(n->value.text));
            }
            if (const auto* h = RegistryStore::FindValue(*k, "Hnd")) {
                activeHandles.insert(h->value.dword);
            }
        }
    }
    std::string name;
    if (index != nullptr && index->value.type == REG_DWORD && index->value.dword <= 9) {
        name = prefix->value.text + std::to_string(index->value.dword) + ":";
    } else if (index == nullptr) {
        // No Index: the first free one, 1 to 9 then 0, as the device manager does.
        for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0}) {
            std::string candidate = prefix->value.text + std::to_string(i) + ":";
            if (!activeNames.contains(LowerAscii(candidate))) {
                name = candidate;
                break;
            }
        }
    }
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (activeNames.contains(LowerAscii(name))) {
        SetLastError(ERROR_DEVICE_IN_USE);
        return 0;
    }
    unsigned number = 1;
    std::string activePath;
    for (;; ++number) {
        char nn[16];
        static_cast<void>(std::snprintf(nn, sizeof nn, "%02u", number));
        activePath = std::string(kActiveDriversKey) + "\\" + nn;
        if (!reg.Exists(activePath)) {
            break;
        }
    }
    const RegistryStore saved = reg;
    const HANDLE h = handles_.Add(ActivatedObject{}, activeHandles);
    auto& entry = reg.Ensure(activePath);
    RegistryStore::SetValue(entry, "Hnd", RegValue{REG_DWORD, {}, static_cast<DWORD>(h)});
    RegistryStore::SetValue(entry, "Name", RegValue{REG_SZ, name, 0});
    RegistryStore::SetValue(entry, "Key", RegValue{REG_SZ, *path, 0});
    if (DWORD err = Save(); err != ERROR_SUCCESS) {
        reg = saved;
        handles_.Remove(h);
        SetLastError(err);
        return 0;
    }
    if (traffic_.On()) {
        auto event = platform::TrafficOf("registry", platform::TrafficKind::RegistryCreate);
        event.path = activePath;
        event.text =
            "Hnd=" + std::to_string(static_cast<DWORD>(h)) + " Name=" + name + " Key=" + *path;
        traffic_.Record(std::move(event));
    }
    return h;
}

BOOL UnitRegistry::DeactivateDevice(HANDLE device) {
    std::lock_guard lock(mutex_);
    RegistryStore& reg = store_;
    for (const auto& sub : reg.SubKeys(kActiveDriversKey)) {
        const std::string path = std::string(kActiveDriversKey) + "\\" + sub;
        const auto* k = reg.FindKey(path);
        const auto* h = k != nullptr ? RegistryStore::FindValue(*k, "Hnd") : nullptr;
        if (h == nullptr || h->value.type != REG_DWORD ||
            h->value.dword != static_cast<DWORD>(device) || device <= 0) {
            continue;
        }
        const RegistryStore saved = reg;
        reg.Remove(path);
        if (DWORD err = Save(); err != ERROR_SUCCESS) {
            reg = saved;
            SetLastError(err);
            return FALSE;
        }
        if (traffic_.On()) {
            auto event = platform::TrafficOf("registry", platform::TrafficKind::RegistryDelete);
            event.path = path;
            traffic_.Record(std::move(event));
        }
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

std::optional<RegValue> UnitRegistry::Value(std::string_view key, std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto path = RegistryStore::Normalize(key);
    const auto* k = path ? store_.FindKey(*path) : nullptr;
    const auto* v = k != nullptr ? RegistryStore::FindValue(*k, name) : nullptr;
    if (v == nullptr) {
        return std::nullopt;
    }
    return v->value;
}

bool UnitRegistry::KeyExists(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const auto path = RegistryStore::Normalize(key);
    return path && store_.Exists(*path);
}

std::vector<std::string> UnitRegistry::SubKeys(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const auto path = RegistryStore::Normalize(key);
    return path ? store_.SubKeys(*path) : std::vector<std::string>{};
}

bool UnitRegistry::DescribedAndInactive(std::string_view deviceName) const {
    std::lock_guard lock(mutex_);
    bool described = false;
    for (const auto& sub : store_.SubKeys(kBuiltInDriversKey)) {
        const auto* key = store_.FindKey(std::string(kBuiltInDriversKey) + "\\" + sub);
        if (key == nullptr) {
            continue;
        }
        const auto* prefix = RegistryStore::FindValue(*key, "Prefix");
        const auto* index = RegistryStore::FindValue(*key, "Index");
        if (prefix == nullptr || prefix->value.type != REG_SZ ||
            !EqualsNoCase(prefix->value.text, deviceName.substr(0, 3))) {
            continue;
        }
        // A key without Index describes the prefix with any index.
        if (index == nullptr || (index->value.type == REG_DWORD &&
                                 index->value.dword == static_cast<DWORD>(deviceName[3] - '0'))) {
            described = true;
            break;
        }
    }
    if (!described) {
        return false;
    }
    // Not loaded yet: no active key names it.
    return std::ranges::none_of(store_.SubKeys(kActiveDriversKey), [&](const std::string& sub) {
        const auto* key = store_.FindKey(std::string(kActiveDriversKey) + "\\" + sub);
        const auto* name = key != nullptr ? RegistryStore::FindValue(*key, "Name") : nullptr;
        return name != nullptr && name->value.type == REG_SZ &&
               EqualsNoCase(name->value.text, deviceName);
    });
}

}  // namespace host::unit
