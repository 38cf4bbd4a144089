#include "win32/backend_options.h"

#include <algorithm>
#include <cstddef>

namespace win32 {

namespace {

bool IsComPort(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) {
        return false;
    }
    const auto upper = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    };
    if (upper(name[0]) != 'C' || upper(name[1]) != 'O' || upper(name[2]) != 'M' || name[3] == '0') {
        return false;
    }
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return false;
        }
        number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= 256;
}

}  // namespace

std::optional<std::string> TakeBackendOptions(std::vector<std::string>& arguments,
                                              Options* options) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--debug-echo") {
            options->debugEcho = true;
            continue;
        }
        if (a != "--root" && a != "--com7") {
            rest.push_back(a);
            continue;
        }
        if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
            return a + " needs a value";
        }
        const std::string& value = arguments[++i];
        if (a == "--root") {
            options->root = value;
        } else if (IsComPort(value)) {
            options->com7Port = value;
        } else {
            return "--com7 takes a port COM1 .. COM256, not \"" + value + "\"";
        }
    }
    arguments = std::move(rest);
    return std::nullopt;
}

}  // namespace win32
