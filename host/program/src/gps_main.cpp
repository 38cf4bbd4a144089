// gps: loads or unloads a stream driver of a unit (`gps on|off NAME`).
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "gps/host_arguments.h"
#include "host/gps_program.h"
#include "kestrin_version.h"
#include "platform/exit_status.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (const auto text =
            gps::VersionOrHelp(arguments, kestrin::VersionLine("gps"), host::GpsUsage())) {
        std::cout << *text;
        return platform::kExitSuccess;
    }
    std::optional<std::string> unitFromEnv;
    if (const char* env = std::getenv("KESTRIN_UNIT_DIR")) {
        unitFromEnv = env;
    }
    return host::RunGps(arguments, unitFromEnv, std::cerr);
}
