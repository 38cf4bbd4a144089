// gps: loads or unloads a stream driver of a unit (`gps on|off NAME`).
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "host/gps_program.h"
#include "kestrin_version.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    // Alone on the line only: every other word is the tool's.
    if (arguments.size() == 1 && arguments[0] == "--version") {
        std::cout << kestrin::VersionLine("gps");
        return 0;
    }
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << host::GpsUsage() << "       gps --version | --help\n";
        return 0;
    }
    std::optional<std::string> unitFromEnv;
    if (const char* env = std::getenv("KESTRIN_UNIT_DIR")) {
        unitFromEnv = env;
    }
    return host::RunGps(arguments, unitFromEnv, std::cerr);
}
