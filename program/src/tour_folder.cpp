#include "tour_folder.h"

#include "platform/temp_folder.h"

namespace program {

std::optional<std::filesystem::path> MakeTempFolder(std::string_view prefix, std::string* error) {
    return platform::MakeTempFolder(prefix, error);
}

}  // namespace program
