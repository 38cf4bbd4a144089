// kestrin: the factory test console on the virtual unit.
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "host/seam.h"
#include "program/run.h"

int main(int argc, char** argv) {
    host::UnitSources sources;
    if (const char* env = std::getenv("KESTRIN_UNIT_DIR"); env != nullptr && *env != '\0') {
        sources.fromEnv = env;
    }
    host::Seam seam(std::move(sources));
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return program::Main("kestrin", arguments, seam, std::cout, std::cerr);
}
