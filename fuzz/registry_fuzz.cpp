// Arbitrary text as registry.reg. The reader either names the line of the
// first problem, or gives keys that, written back, read as the same keys and
// values; and every key it names can be found, listed under its parent and
// removed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "registry_store.h"

namespace {

using host::unit::RegistryStore;

constexpr std::string_view kKeyLine = "[HKEY_LOCAL_MACHINE";

// The key paths of written registry text, in order.
std::vector<std::string> KeyPaths(std::string_view written) {
    std::vector<std::string> paths;
    std::size_t pos = 0;
    while (pos < written.size()) {
        const std::size_t end = written.find('\n', pos);
        const std::string_view line = written.substr(pos, end - pos);
        pos = end == std::string_view::npos ? written.size() : end + 1;
        if (line.substr(0, kKeyLine.size()) == kKeyLine && line.back() == ']') {
            std::string_view path = line.substr(kKeyLine.size(), line.size() - kKeyLine.size() - 1);
            if (!path.empty()) {
                path.remove_prefix(1);  // the backslash after the root
            }
            paths.emplace_back(path);
        }
    }
    return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = RegistryStore::Parse(text, "registry.reg");
    if (!parsed) {
        const host::unit::ConfigError& error = parsed.error();
        fuzz::Check(error.line >= 1 && static_cast<std::size_t>(error.line) <= fuzz::Lines(text),
                    "an error names a line of the text");
        fuzz::Check(!error.message.empty(), "an error says what is wrong");
        return 0;
    }
    auto& store = *parsed;
    const std::string written = store.Write();
    auto again = RegistryStore::Parse(written, "written");
    fuzz::Check(again.ok(), "what is written reads back");
    fuzz::Check(again->Write() == written, "and holds the same keys and values");

    const std::vector<std::string> paths = KeyPaths(written);
    for (const std::string& path : paths) {
        fuzz::Check(store.Exists(path), "a key read exists");
        fuzz::Check(store.FindKey(path) != nullptr, "a key read is found");
        const auto normalized = RegistryStore::Normalize(path);
        fuzz::Check(normalized && *normalized == path, "a key read is in its plain form");
        const std::size_t slash = path.rfind('\\');
        const std::string parent = slash == std::string::npos ? "" : path.substr(0, slash);
        if (!path.empty()) {
            fuzz::Check(!store.SubKeys(parent).empty(), "a key is listed under its parent");
        }
    }
    if (!paths.empty()) {
        store.Remove(paths.front());
        fuzz::Check(store.FindKey(paths.front()) == nullptr, "a removed key is gone");
    }
    return 0;
}
