// Where a path below the root really leads on the PC. Links and junctions
// are followed as Win32 follows them, so one inside the root that points
// out of it (or at nothing) would reach past the root; such paths are
// refused, as the unit's file system has no way out of its root.
#pragma once

#include <optional>
#include <string>

#include "win32_api.h"

namespace win32::pc {

class RootGuard {
  public:
    // root: the root folder as the backend names it (UTF-16).
    explicit RootGuard(std::wstring root);

    // The root's own final path (links followed), or nullopt when it does
    // not open (nothing below it can be reached either).
    [[nodiscard]] std::optional<std::wstring> RootFinal() const;

    // Whether `path` (root + "\" + relative) stays below the root with every
    // link followed: the file or folder it names or, for a name that does
    // not exist, the nearest folder above it that does. A name that is there
    // but opens nowhere (a link to nothing) does not stay.
    [[nodiscard]] bool Admits(const std::wstring& path,
                              const std::optional<std::wstring>& rootFinal) const;
    [[nodiscard]] bool Admits(const std::wstring& path) const { return Admits(path, RootFinal()); }
    // Whether the path names a file or folder now (links followed).
    [[nodiscard]] bool Exists(const std::wstring& path) const;
    // Where the file just opened (or made) at `path` really is when that is
    // not below the root, or nullopt. The handle tells, or else the name
    // opened again (wine cannot name a file made through a link to nothing
    // by its handle); "" when neither can.
    [[nodiscard]] std::optional<std::wstring> Escape(::HANDLE file, const std::wstring& path) const;
    // The same for whatever the path names now; nullopt when nothing.
    [[nodiscard]] std::optional<std::wstring> Escape(const std::wstring& path) const;

  private:
    std::wstring root_;
};

}  // namespace win32::pc
