#include "unit/temp_dir.h"

#include <cstdlib>

#include <string>
#include <system_error>

namespace unit {

std::optional<TempDir> TempDir::Create(std::string_view prefix) {
    std::error_code ec;
    const auto base = std::filesystem::temp_directory_path(ec);
    if (ec) {
        return std::nullopt;
    }
    std::string templ = (base / (std::string(prefix) + "XXXXXX")).string();
    if (::mkdtemp(templ.data()) == nullptr) {
        return std::nullopt;
    }
    return TempDir(std::filesystem::path(templ));
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

}  // namespace unit
