#include "platform/temp_folder.h"

#include <cstdlib>
#include <random>
#include <system_error>
#include <utility>

namespace platform {

namespace {

struct Base {
    std::filesystem::path path;
    std::string from;  // the variable that named it; empty for the system's own
    std::error_code error;
};

Base TempBase() {
#ifdef _WIN32
    Base base;
    base.path = std::filesystem::temp_directory_path(base.error);
    return base;
#else
    if (const char* named = std::getenv("TMPDIR"); named != nullptr && *named != '\0') {
        return {named, "TMPDIR", {}};
    }
    return {"/tmp", {}, {}};
#endif
}

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace

Result<std::filesystem::path> MakeTempFolder(std::string_view prefix) {
    const Base base = TempBase();
    auto fail = [&](const std::string& reason) {
        std::string error = "cannot make a temporary folder";
        if (!base.path.empty()) {
            error += " in " + Utf8(base.path);
        }
        if (!base.from.empty()) {
            error += " (" + base.from + ")";
        }
        error += ": " + reason;
        return Result<std::filesystem::path>(Fail(std::move(error)));
    };
    if (base.error) {
        return fail(base.error.message());
    }
    if (!base.path.is_absolute()) {
        return fail("not an absolute path");
    }
    Result<std::filesystem::path> folder = MakeFolderIn(base.path, prefix, true);
    return folder ? folder : fail(folder.error());
}

Result<std::filesystem::path> MakeFolderIn(const std::filesystem::path& base,
                                           std::string_view prefix, bool ownerOnly) {
    auto fail = [](std::string reason) {
        return Result<std::filesystem::path>(Fail(std::move(reason)));
    };
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
        const std::filesystem::path folder = base / name;
        std::error_code ec;
        // Made here or not at all: a folder that is already there is not taken.
        if (std::filesystem::create_directory(folder, ec)) {
            if (ownerOnly) {
                std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::replace, ec);
            }
            if (ec) {
                const std::string reason = ec.message();
                std::filesystem::remove(folder, ec);
                return fail(reason);
            }
            return folder;
        }
        if (ec && ec != std::errc::file_exists) {
            return fail(ec.message());
        }
    }
    return fail("every name tried is taken");
}

}  // namespace platform
