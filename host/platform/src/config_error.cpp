#include "host/unit/config_error.h"

namespace host::unit {

std::string ConfigError::Text() const {
    std::string out;
    if (!file.empty()) {
        out += file;
        if (line > 0) {
            out += ":" + std::to_string(line);
        }
        out += ": ";
    }
    if (!key.empty()) {
        out += key + ": ";
    }
    out += message;
    return out;
}

}  // namespace host::unit
