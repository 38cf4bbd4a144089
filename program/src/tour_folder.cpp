#include "tour_folder.h"

#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace program {

std::optional<std::filesystem::path> MakeFolderIn(const std::filesystem::path& base,
                                                  std::string_view prefix, bool ownerOnly) {
    std::error_code ec;
    constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr int kTries = 100;
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    for (int i = 0; i < kTries; ++i) {
        std::string name(prefix);
        for (int n = 0; n < 6; ++n) {
            name += kLetters[pick(random)];
        }
        // Made here or not at all: a folder that is already there is not taken.
        if (std::filesystem::create_directory(base / name, ec)) {
            if (ownerOnly) {
                std::filesystem::permissions(base / name, std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::replace, ec);
            }
            return base / name;
        }
        if (ec && ec != std::errc::file_exists) {
            break;
        }
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> MakeTempFolder(std::string_view prefix) {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) {
        return std::nullopt;
    }
    // Only its owner's, as a temporary folder should be.
    return MakeFolderIn(base, prefix, true);
}

}  // namespace program
