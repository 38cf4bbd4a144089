// Files the program writes in one go (reports, results, recordings): the
// text replaces what the file held, and the answer says whether all of it
// reached the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace program::detail {

bool WriteWholeFile(const std::filesystem::path& file, std::string_view text);

// The text written beside the file first, then renamed over it: a reader
// finds the old file or the new one, never a part. A failure says why,
// without the file's name.
platform::Result<void> ReplaceWholeFile(const std::filesystem::path& file, std::string_view text);

// What the file holds from offset on; nullopt when it cannot be read or is
// no regular file (a FIFO would hold the open until someone writes).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file,
                                         std::uintmax_t offset = 0);

// A file the user named, read whole; the reason starts with named and says
// what the name is when it is no regular file.
platform::Result<std::string> ReadNamedFile(const std::filesystem::path& file,
                                            const std::string& named);

}  // namespace program::detail
