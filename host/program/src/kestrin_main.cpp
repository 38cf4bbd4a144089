// kestrin: the factory test console on the virtual unit.
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "kestrin_version.h"
#include "program/default_unit.h"
#include "program/kestrin_options.h"
#include "program/kestrin_program.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const program::ParsedKestrinOptions parsed = program::ParseKestrinOptions(arguments);
    if (!parsed.options) {
        std::cerr << "kestrin: " << parsed.error << '\n' << program::KestrinUsage();
        return program::kExitUsage;
    }
    if (parsed.options->help) {
        std::cout << program::KestrinUsage();
        return 0;
    }
    if (parsed.options->version) {
        std::cout << kestrin::VersionLine("kestrin");
        return 0;
    }
    program::UnitSources sources;
    if (const char* env = std::getenv("KESTRIN_UNIT_DIR"); env != nullptr && *env != '\0') {
        sources.fromEnv = env;
    }
    if (!parsed.options->unitDir && !sources.fromEnv) {
        const program::FoundUnit found = program::FindDefaultUnit(program::ExecutablePath());
        if (!found.dir) {
            std::cerr << "kestrin: " << found.error
                      << ": give --unit DIR or set KESTRIN_UNIT_DIR\n";
            return program::kExitUsage;
        }
        sources.builtIn = *found.dir;
    }
    return program::RunKestrin(*parsed.options, sources, std::cout, std::cerr);
}
