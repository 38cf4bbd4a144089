// Paths to and from the UTF-8 text the program works in. On Windows a path
// made from (or turned into) a plain std::string goes through the ANSI code
// page instead, which garbles any other character; these keep UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace script {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
    return {std::u8string(text.begin(), text.end())};
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace script
