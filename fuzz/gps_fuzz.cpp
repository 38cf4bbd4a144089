// Arbitrary bytes as the driver switch's command line (and, cut at newlines,
// as host arguments). Checks what must hold for any input: the split never
// reaches past the line's end, over-long parts are refused, every run ends in
// exit code 0 or 1 with at most one message, a failure always shows one, and
// no registry key is left open. The host arguments then take the whole way
// of the host program `gps`, to a unit folder whose registry.reg it changes:
// the status is 0 or 1, 1 comes with a message, and the registry it leaves
// reads back.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_unit_folder.h"
#include "gps/command_line.h"
#include "gps/gps_main.h"
#include "gps/host_arguments.h"
#include "host/gps_program.h"
#include "platform/text.h"
#include "registry_store.h"
#include "test_support/recording_platform.h"

namespace {

const fuzz::UnitFolder* g_folder = nullptr;

using fuzz::Check;

void CheckSplit(std::string_view line) {
    const std::string_view text = line.substr(0, line.find('\0'));
    const gps::CommandLine split = gps::SplitCommandLine(line);
    if (!split.valid) {
        return;
    }
    Check(split.word.data() == text.data(), "word starts the line");
    Check(split.word.find(' ') == std::string_view::npos, "word holds no space");
    Check(split.word.size() + 1 + split.driverName.size() == text.size(),
          "word, one space and the name make up the line");
    Check(split.driverName.data() == text.data() + split.word.size() + 1, "name follows the space");
    Check(!split.driverName.empty(), "name not empty");
    Check(platform::WideLength(split.word) <= gps::kMaxWordLength, "word not over-long");
    Check(platform::WideLength(split.driverName) <= gps::kMaxWordLength, "name not over-long");
}

void CheckRun(std::string_view line) {
    test_support::RecordingPlatform unit;
    unit.registry.keys = {{"Drivers\\Active\\12", test_support::Dword(0x1234U)},
                          {"Drivers\\Active\\x", std::nullopt},
                          {"Drivers\\Active\\y", std::vector<std::uint8_t>{1, 2}}};
    platform::ScopedServices installed(unit.AsServices());
    const int code = gps::GpsMain(line);

    Check(code == 0 || code == 1, "exit code 0 or 1");
    std::size_t messages = 0;
    for (const std::string& call : unit.log) {
        Check(call.rfind("unexpected", 0) != 0, "only the tool's own platform calls");
        if (call.rfind("MessageBox(", 0) == 0) {
            ++messages;
        }
    }
    Check(messages <= 1, "at most one message");
    Check((code == 1) == (messages == 1), "a failure shows exactly one message");
    Check(messages == 0 || unit.log.back().rfind("MessageBox(", 0) == 0, "message comes last");
    Check(unit.registry.OpenKeys() == 0, "no key left open");
    if (!gps::SplitCommandLine(line).valid) {
        Check(code == 1 && unit.log.size() == 1, "a parameter error touches nothing else");
    }
}

std::vector<std::string_view> SplitArguments(std::string_view data) {
    std::vector<std::string_view> arguments;
    for (std::size_t start = 0; start <= data.size();) {
        const std::size_t end = std::min(data.find('\n', start), data.size());
        arguments.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

void CheckHostArguments(std::string_view data) {
    const std::vector<std::string_view> arguments = SplitArguments(data);
    const gps::HostArguments host = gps::ExtractUnitOption(arguments);
    Check(host.words.size() <= arguments.size(), "extraction only removes");
    for (std::string_view word : host.words) {
        Check(word != "--unit", "no option left among the words");
    }
    const std::string line = gps::JoinHostArguments(host.words);
    std::size_t expected = host.words.empty() ? 0 : host.words.size() - 1;
    for (std::string_view word : host.words) {
        expected += word.size();
    }
    Check(line.size() == expected, "joined with single spaces");
}

// The host program on the unit folder; every "--unit" names that folder
// (with its directory, or without one as given), and so does the
// environment.
void CheckProgram(std::string_view data) {
    std::vector<std::string_view> arguments = SplitArguments(data);
    const std::string folder = g_folder->dir().string();
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--unit" && !arguments[i + 1].empty()) {
            arguments[++i] = folder;
        }
    }
    g_folder->Reset();
    std::ostringstream err;
    const int code = host::RunGps(arguments, folder, err);
    Check(code == 0 || code == 1, "status 0 or 1");
    Check((code == 1) == !err.str().empty(), "a failure and only a failure says why");
    const auto registry = host::unit::RegistryStore::Parse(
        fuzz::ReadWhole(g_folder->dir() / "registry.reg"), "written");
    Check(registry.ok(), "the registry left reads back");
    g_folder->CheckNothingOutside();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    static const fuzz::UnitFolder folder;
    g_folder = &folder;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    CheckSplit(line);
    CheckRun(line);
    CheckHostArguments(line);
    CheckProgram(line);
    return 0;
}
