#include "host/gps_program.h"

#include "gps/host_arguments.h"
#include "gps/stream_run.h"
#include "host/components.h"
#include "host/default_unit.h"
#include "host/unit/virtual_unit.h"
#include "platform/exit_status.h"

namespace host {

using platform::kExitFailure;

std::string GpsUsage() {
    return "usage: gps on|off NAME --unit DIR   (or set KESTRIN_UNIT_DIR to the unit's folder)\n";
}

int RunGps(std::span<const std::string_view> arguments, std::optional<std::string> unitFromEnv,
           std::ostream& err) {
    const gps::HostArguments parsed = gps::ExtractUnitOption(arguments);
    std::filesystem::path dir;
    if (parsed.unitDirectoryMissing) {
        err << "gps: --unit needs a folder\n" << GpsUsage();
        return kExitFailure;
    }
    if (parsed.unitDirectory) {
        dir = std::filesystem::path(*parsed.unitDirectory);
    } else if (unitFromEnv && !unitFromEnv->empty()) {
        dir = *unitFromEnv;
    } else {
        err << GpsUsage();
        return kExitFailure;
    }

    if (const std::optional<std::string> why = WhyReadOnly(dir)) {
        err << "gps: the unit " << dir.string() << " is read-only (" << *why
            << "): copy it and give the copy with --unit (kestrin --fresh-copy runs on a "
               "temporary copy)\n";
        return kExitFailure;
    }
    auto loaded = unit::LoadUnit(dir, HostComponents());
    if (!loaded) {
        err << loaded.error().Text() << '\n';
        return kExitFailure;
    }
    return gps::RunWithStreamPrompt((*loaded)->Services(), parsed.words, err);
}

}  // namespace host
