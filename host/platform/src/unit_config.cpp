// The unit's own tables in unit.toml, and the files they describe.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "host_files.h"
#include "unit_impl.h"
#include "unit_path.h"

namespace host::unit {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kWord = 0xFFFFFFFFLL;

void DeclareRegisters(VirtualUnit& unit, VirtualUnit::Impl& impl) {
    Schema& s = impl.schema;
    auto word = [&impl](std::uint32_t address) {
        return [&impl, address](std::int64_t v) {
            impl.registers.Write(address, static_cast<std::uint32_t>(v));
        };
    };
    auto pin = [&unit](int number) {
        return [&unit, number](std::int64_t v) { unit.SetPin(number, v != 0); };
    };
    s.Add("gpio")
        .Integer("power_key", 0, 1, pin(kPowerKeyPin))
        .Integer("guide_key", 0, 1, pin(kGuideKeyPin))
        .Choice("variant", {"corvin", "tamsel"},
                [&unit](const std::string& v) { unit.SetPin(kVariantPin, v == "corvin"); })
        .Integer("falling_edge", 0, kWord, word(kGpioAddress + kGpioFallingEdge))
        .Integer("edge_status", 0, kWord, word(kGpioAddress + kGpioEdgeStatus));
    s.Add("intc").Integer("icmr", 0, kWord, word(kIntcAddress + kIntcIcmr));
    s.Add("nor")
        .Key(LoadTime(StringKey("image")),
             [&impl](const Value& v) -> std::string {
                 const fs::path image = impl.dir / std::get<std::string>(v);
                 const std::optional<std::uint64_t> size = HostFileSize(image);
                 if (!size) {
                     return "cannot read the image " + image.string();
                 }
                 if (*size > kNorBytes) {
                     return "the image is larger than the 16 MiB flash";
                 }
                 impl.registers.SetNorImage(image);
                 return {};
             })
        .Integer(
            "fill", 0, 0xFFFF,
            [&impl](std::int64_t v) { impl.registers.SetNorFill(static_cast<std::uint16_t>(v)); })
        .LoadOnly();
}

void DeclareHost(VirtualUnit::Impl& impl) {
    Schema& s = impl.schema;
    s.Add("power")
        .Boolean("available", [&impl](bool v) { impl.power.SetAvailable(v); })
        .Integer("battery_mv", 0, 20000, [&impl](std::int64_t v) { impl.power.SetBatteryMv(v); })
        .Integer("battery_percent", 0, 100,
                 [&impl](std::int64_t v) { impl.power.SetBatteryPercent(v); })
        .Boolean("ac_online", [&impl](bool v) { impl.power.SetAcOnline(v); });

    constexpr std::int64_t kMaxBytes = std::int64_t{1} << 50;
    s.AddNamed("volume",
               {IntegerKey("total_bytes", 0, kMaxBytes), IntegerKey("free_bytes", 0, kMaxBytes)},
               [&impl](const std::string& entry, const std::string& key, const Value& v) {
                   std::lock_guard lock(impl.volumesMutex);
                   VolumeSize& size = impl.volumes[LowerAscii(entry)];
                   const auto bytes = static_cast<std::uint64_t>(std::get<std::int64_t>(v));
                   (key == "total_bytes" ? size.total : size.free) = bytes;
                   return std::string();
               });

    const std::vector<KeySpec> fileKeys = {
        Required(StringKey("path")), IntegerKey("size", 0, kMaxBytes),      DateTimeKey("mtime"),
        StringKey("text"),           BytesKey("hex", std::size_t{1} << 20),
    };
    auto record = [&impl](bool dir) {
        return [&impl, dir](const Record& r, int line) -> std::string {
            FileSpec spec;
            spec.line = line;
            spec.dir = dir;
            spec.path = std::get<std::string>(r.at("path"));
            const auto split = SplitUnitPath(spec.path, false);
            if (!split || split->components.empty()) {
                return "the path \"" + spec.path + "\" does not name a place under fs/";
            }
            if (auto it = r.find("mtime"); it != r.end()) {
                spec.mtime = std::get<std::int64_t>(it->second);
            }
            if (auto it = r.find("size"); it != r.end()) {
                spec.size = std::get<std::int64_t>(it->second);
            }
            const auto text = r.find("text");
            const auto hex = r.find("hex");
            if (text != r.end() && hex != r.end()) {
                return "give text or hex, not both";
            }
            if (text != r.end()) {
                const auto& t = std::get<std::string>(text->second);
                spec.content = std::vector<std::uint8_t>(t.begin(), t.end());
            } else if (hex != r.end()) {
                spec.content = std::get<std::vector<std::uint8_t>>(hex->second);
            }
            if (spec.size && spec.content &&
                static_cast<std::uint64_t>(*spec.size) < spec.content->size()) {
                return "size is smaller than the content";
            }
            impl.fileSpecs.push_back(std::move(spec));
            return {};
        };
    };
    s.Add("fs")
        .Records("file", fileKeys, record(false))
        .Records("dir", {Required(StringKey("path")), DateTimeKey("mtime")}, record(true));

    s.Add("kernel").Faults("fail", [&impl](const std::string& op, std::uint32_t code) {
        return impl.kernelFaults.Set(op, code);
    });
}

// Folders on the way to a unit path, created as needed (case-insensitive).
std::optional<std::string> EnsureParents(FileSystem& fsys, const SplitPath& split) {
    std::string path;
    for (std::size_t i = 0; i + 1 < split.components.size(); ++i) {
        path += "\\" + split.components[i];
        auto r = fsys.Resolve(path);
        if (std::holds_alternative<platform::DWORD>(r)) {
            return "a folder on the way to it cannot be reached";
        }
        const FsEntry& e = std::get<FsEntry>(r);
        if (e.exists && !e.isDir) {
            return "\"" + path + "\" is a file, not a folder";
        }
        if (!e.exists && !fsys.MakeDir(e)) {
            return "cannot create the folder " + e.host.string();
        }
    }
    return std::nullopt;
}

// Whether the entry was last written at that time already (so in a
// pristine copy made once): nothing to write.
bool HasTime(const FsEntry& entry, std::int64_t mtime) {
    struct stat st {};
    return ::stat(entry.host.c_str(), &st) == 0 && st.st_mtim.tv_sec == mtime &&
           st.st_mtim.tv_nsec == 0;
}

}  // namespace

void DeclareUnitKeys(VirtualUnit& unit, VirtualUnit::Impl& impl) {
    DeclareRegisters(unit, impl);
    DeclareHost(impl);
}

std::optional<ConfigError> ApplyFileSpecs(VirtualUnit::Impl& impl, const std::string& tomlName) {
    for (const FileSpec& spec : impl.fileSpecs) {
        const std::string key = spec.dir ? "fs.dir" : "fs.file";
        auto fail = [&](const std::string& message) {
            return ConfigError{tomlName, spec.line, key, "\"" + spec.path + "\": " + message};
        };
        const auto split = SplitUnitPath(spec.path, false);
        if (auto err = EnsureParents(impl.fs, *split)) {
            return fail(*err);
        }
        auto r = impl.fs.Resolve(spec.path);
        if (std::holds_alternative<platform::DWORD>(r)) {
            return fail("cannot be reached under fs/");
        }
        const FsEntry entry = std::get<FsEntry>(r);
        if (entry.exists && entry.isDir != spec.dir) {
            return fail(spec.dir ? "is a file, not a folder" : "is a folder, not a file");
        }
        if (!entry.exists && spec.dir) {
            if (!impl.fs.MakeDir(entry)) {
                return fail("cannot be created");
            }
        } else if (!entry.exists) {
            auto own = impl.fs.Writable(entry, false);
            if (std::holds_alternative<platform::DWORD>(own)) {
                return fail("cannot be written");
            }
            const fs::path& host = std::get<fs::path>(own);
            std::ofstream out(host, std::ios::binary);
            if (spec.content) {
                out.write(reinterpret_cast<const char*>(spec.content->data()),
                          static_cast<std::streamsize>(spec.content->size()));
            }
            out.close();
            if (!out) {
                return fail("cannot be written");
            }
            std::error_code ec;
            if (spec.size) {
                fs::resize_file(host, static_cast<std::uintmax_t>(*spec.size), ec);
            }
            if (ec) {
                return fail("cannot be created: " + ec.message());
            }
        }
        const auto made = impl.fs.Resolve(spec.path);
        const auto* now = std::get_if<FsEntry>(&made);
        if (spec.mtime && (now == nullptr || !HasTime(*now, *spec.mtime))) {
            std::variant<fs::path, platform::DWORD> own = platform::ERROR_PATH_NOT_FOUND;
            if (now != nullptr) {
                own = impl.fs.Writable(*now, true);
            }
            const struct timespec times[2] = {{static_cast<time_t>(*spec.mtime), 0},
                                              {static_cast<time_t>(*spec.mtime), 0}};
            if (std::holds_alternative<platform::DWORD>(own) ||
                ::utimensat(AT_FDCWD, std::get<fs::path>(own).c_str(), times, 0) != 0) {
                return fail("cannot set its time");
            }
        }
    }
    return std::nullopt;
}

}  // namespace host::unit
