// Arbitrary text as the unit.toml of a whole unit folder, loaded with every
// host component registered, so that their tables ([gps], [com] with its
// [[com.station]] records, [touch], [sound]) and every fail table are
// known. A load either gives a unit or an error naming unit.toml; it never
// crashes, never hangs and never writes outside the folder's fs/.
#include <toml++/toml.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_unit_folder.h"
#include "host/components.h"
#include "host/unit/virtual_unit.h"

namespace {

const fuzz::UnitFolder* g_folder = nullptr;

// Inputs that would make the unit read the host beyond its folder: the
// receiver on standard input, or a track or NOR image named by a host path.
// The loader takes such paths as given (a unit's owner may name any file),
// so they are left out here rather than refused there.
bool ReachesTheHost(std::string_view text) {
    toml::table root;
    try {
        root = toml::parse(text);
    } catch (const toml::parse_error&) {
        return false;  // the loader meets the same error
    }
    const auto outside = [](std::optional<std::string> path) {
        return path && path->find('/') != std::string::npos;
    };
    return root["gps"]["source"].value<std::string>() == "stdin" ||
           outside(root["gps"]["file"].value<std::string>()) ||
           outside(root["nor"]["image"].value<std::string>());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    static const fuzz::UnitFolder folder;
    g_folder = &folder;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (ReachesTheHost(text)) {
        return 0;
    }
    g_folder->Reset();
    fuzz::WriteWhole(g_folder->dir() / "unit.toml", text);
    {
        auto loaded =
            host::unit::LoadUnit(g_folder->dir(), host::HostComponents(), {.virtualTime = true});
        if (!loaded) {
            const host::unit::ConfigError& error = loaded.error();
            fuzz::Check(!error.message.empty(), "an error says what is wrong");
            fuzz::Check(!error.file.empty(), "an error names its file");
            fuzz::Check(error.line >= 0, "an error's line is 0 or a line");
        }
        // The unit, when there is one, goes here with all its threads.
    }
    g_folder->CheckNothingOutside();
    return 0;
}
