#include "whole_file.h"

#include <fstream>

namespace program::detail {

bool WriteWholeFile(const std::filesystem::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace program::detail
