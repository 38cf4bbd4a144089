// Files the program writes in one go (reports, results, recordings): the
// text replaces what the file held, and the answer says whether all of it
// reached the file.
#pragma once

#include <filesystem>
#include <string_view>

namespace program::detail {

bool WriteWholeFile(const std::filesystem::path& file, std::string_view text);

}  // namespace program::detail
