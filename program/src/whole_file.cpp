#include "whole_file.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "file_lock.h"
#include "script/file_kind.h"
#include "script/utf8_path.h"

namespace program::detail {

bool WriteWholeFile(const std::filesystem::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

platform::Result<void> ReplaceWholeFile(const std::filesystem::path& file, std::string_view text) {
    std::filesystem::path beside = file;
    beside.replace_filename("." + script::Utf8FromPath(file.filename()) + ".kestrin-" +
                            std::to_string(ProcessId()));
    std::error_code ec;
    if (!WriteWholeFile(beside, text)) {
        std::filesystem::remove(beside, ec);
        return platform::Fail("cannot write it");
    }
    std::filesystem::rename(beside, file, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(beside, ignored);
        return platform::Fail(ec.message());
    }
    return {};
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, std::uintmax_t offset) {
    if (!script::NotAFile(file).empty()) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open()) {
        return std::nullopt;
    }
    if (offset > 0 && !in.seekg(static_cast<std::streamoff>(offset))) {
        return std::string();
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return std::nullopt;
    }
    return text;
}

platform::Result<std::string> ReadNamedFile(const std::filesystem::path& file,
                                            const std::string& named) {
    if (const std::string kind = script::NotAFile(file); !kind.empty()) {
        return platform::Fail(named + ": " + kind + ", not a file");
    }
    std::optional<std::string> text = ReadWholeFile(file);
    if (!text) {
        return platform::Fail(named + ": cannot be read");
    }
    return std::move(*text);
}

}  // namespace program::detail
