#include "root_guard.h"

#include <utility>
#include <vector>

namespace win32::pc {

namespace {

// Opens a file or folder for its name only, following links.
class NameHandle {
  public:
    explicit NameHandle(const std::wstring& path)
        : h_(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)),
          error_(h_ == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS) {}
    ~NameHandle() {
        if (h_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h_);
        }
    }
    NameHandle(const NameHandle&) = delete;
    NameHandle& operator=(const NameHandle&) = delete;

    [[nodiscard]] ::HANDLE get() const { return h_; }
    [[nodiscard]] ::DWORD error() const { return error_; }

  private:
    ::HANDLE h_;
    ::DWORD error_;
};

std::optional<std::wstring> FinalPath(::HANDLE h) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const ::DWORD length = ::GetFinalPathNameByHandleW(
            h, buffer.data(), static_cast<::DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
}

bool SameNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The root itself or a path below it.
bool Below(std::wstring_view path, std::wstring_view root) {
    while (!root.empty() && root.back() == L'\\') {
        root.remove_suffix(1);
    }
    return path.size() >= root.size() && SameNoCase(path.substr(0, root.size()), root) &&
           (path.size() == root.size() || path[root.size()] == L'\\');
}

// Whether the folder holds an entry of this name, even one that opens
// nowhere.
bool Listed(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const ::HANDLE search = ::FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(search);
    return true;
}

}  // namespace

RootGuard::RootGuard(std::wstring root) : root_(std::move(root)) {}

std::optional<std::wstring> RootGuard::RootFinal() const {
    const NameHandle root(root_);
    if (root.get() == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return FinalPath(root.get());
}

bool RootGuard::Admits(const std::wstring& path,
                       const std::optional<std::wstring>& rootFinal) const {
    if (!rootFinal) {
        return true;
    }
    std::wstring at = path;
    while (!at.empty() && at.back() == L'\\') {
        at.pop_back();
    }
    // Up from the path to the root, to the first part that is there.
    while (at.size() > root_.size()) {
        const NameHandle part(at);
        if (part.get() != INVALID_HANDLE_VALUE) {
            const std::optional<std::wstring> final = FinalPath(part.get());
            return final && Below(*final, *rootFinal);
        }
        const bool missing =
            part.error() == ERROR_FILE_NOT_FOUND || part.error() == ERROR_PATH_NOT_FOUND;
        if (!missing) {
            // Not to be looked at (in use, no access): the call itself says so.
            return true;
        }
        const std::size_t separator = at.find_last_of(L'\\');
        if (Listed(at) || separator == std::wstring::npos) {
            return false;
        }
        at.erase(separator);
    }
    return true;
}

bool RootGuard::Exists(const std::wstring& path) const {
    return NameHandle(path).get() != INVALID_HANDLE_VALUE;
}

std::optional<std::wstring> RootGuard::Escape(::HANDLE file, const std::wstring& path) const {
    const std::optional<std::wstring> rootFinal = RootFinal();
    std::optional<std::wstring> final = FinalPath(file);
    if (!final) {
        const NameHandle again(path);
        if (again.get() != INVALID_HANDLE_VALUE) {
            final = FinalPath(again.get());
        }
    }
    if (rootFinal && final && Below(*final, *rootFinal)) {
        return std::nullopt;
    }
    return final.value_or(L"");
}

std::optional<std::wstring> RootGuard::Escape(const std::wstring& path) const {
    const NameHandle file(path);
    if (file.get() == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return Escape(file.get(), path);
}

}  // namespace win32::pc
