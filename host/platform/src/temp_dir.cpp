#include "host/unit/temp_dir.h"

#include <string>
#include <system_error>

#include "platform/temp_folder.h"

namespace host::unit {

platform::Result<TempDir> TempDir::Create(std::string_view prefix) {
    platform::Result<std::filesystem::path> made = platform::MakeTempFolder(prefix);
    if (!made) {
        return platform::Fail(made.error());
    }
    return TempDir(std::move(*made));
}

TempDir::TempDir(TempDir&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

TempDir& TempDir::operator=(TempDir&& other) noexcept {
    if (this != &other) {
        std::error_code ec;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ec);
        }
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

TempDir::~TempDir() {
    if (!path_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
}

std::filesystem::path TempDir::Release() {
    auto kept = std::move(path_);
    path_.clear();
    return kept;
}

}  // namespace host::unit
