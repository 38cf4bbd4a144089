#include "script/file_kind.h"

namespace script {

std::string NotAFile(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    switch (fs::status(path, ec).type()) {
        case fs::file_type::regular:
        case fs::file_type::not_found:
        case fs::file_type::none:
            return {};
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::fifo:
            return "a FIFO";
        case fs::file_type::character:
        case fs::file_type::block:
            return "a device";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "an unknown kind of file";
    }
}

}  // namespace script
