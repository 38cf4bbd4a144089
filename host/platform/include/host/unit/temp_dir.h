// A temporary directory removed with everything in it on destruction.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace host::unit {

class TempDir {
  public:
    // Creates <system temp>/<prefix>XXXXXX (platform::MakeTempFolder);
    // or why that failed.
    static platform::Result<TempDir> Create(std::string_view prefix);
    // A folder removed in the same way, made now or later by its user.
    static TempDir Adopt(std::filesystem::path path) { return TempDir(std::move(path)); }

    TempDir(TempDir&& other) noexcept;
    TempDir& operator=(TempDir&& other) noexcept;
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    // Keeps the directory: it is no longer removed.
    std::filesystem::path Release();

  private:
    explicit TempDir(std::filesystem::path path) : path_(std::move(path)) {}
    std::filesystem::path path_;
};

}  // namespace host::unit
