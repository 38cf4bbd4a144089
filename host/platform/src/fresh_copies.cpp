#include "host/unit/fresh_copies.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "host_files.h"

namespace host::unit {

namespace {

// An error of the shared copy as of the unit it copies: "units/mine/unit.toml".
std::string AsOf(std::string text, const std::string& copy, const std::string& source) {
    for (std::size_t at = text.find(copy); at != std::string::npos;
         at = text.find(copy, at + source.size())) {
        text.replace(at, copy.size(), source);
    }
    return text;
}

}  // namespace

Result<FreshCopies> FreshCopies::Make(const std::filesystem::path& source) {
    if (!HostIsDirectory(source)) {
        return ConfigError{source.string(), 0, {}, "no such unit directory"};
    }
    auto temp = TempDir::Create("kestrin-unit-");
    if (!temp) {
        return ConfigError{{}, 0, {}, temp.error()};
    }
    FreshCopies copies(std::move(*temp), source);
    const std::filesystem::path pristine = copies.pristine();
    std::error_code ec;
    if (::mkdir(pristine.c_str(), 0700) != 0) {
        ec = {errno, std::generic_category()};
    } else {
        ec = CopyHostTree(source, pristine);
    }
    if (ec) {
        return ConfigError{source.string(), 0, {}, "cannot copy the unit: " + ec.message()};
    }
    return copies;
}

Result<void> FreshCopies::Prepare(const Components& components) {
    const std::filesystem::path copy = pristine();
    if (Result<void> prepared = PrepareUnitFiles(copy, components); !prepared) {
        ConfigError error = prepared.error();
        error.file = AsOf(error.file, copy.string(), source_.string());
        error.message = AsOf(error.message, copy.string(), source_.string());
        return error;
    }
    return {};
}

TempDir FreshCopies::Next() {
    return TempDir::Adopt(folder_.path() / ("copy-" + std::to_string(++made_)));
}

}  // namespace host::unit
