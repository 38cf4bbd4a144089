// A unit folder for the fuzz targets that load units: made once in a
// temporary folder, beside nothing else, with the default unit's registry and
// receiver track, so that a unit.toml naming them finds them. Whatever an
// input does to the folder is undone before the next one. The folder lies in
// memory (/dev/shm) where the machine has it: on a disk every truncation and
// removal waits for the device.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "kestrin_tree.h"

namespace fuzz {

inline std::string ReadWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWhole(const std::filesystem::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    Check(static_cast<bool>(out), "the unit folder can be written");
}

class UnitFolder {
  public:
    // <temp>/kestrin-fuzz-XXXXXX/unit with registry.reg and track.nmea of
    // units/default and a small NOR image nor.bin.
    UnitFolder() {
        std::error_code ec;
        const std::filesystem::path shm = "/dev/shm";
        std::string pattern =
            ((std::filesystem::is_directory(shm, ec) ? shm
                                                     : std::filesystem::temp_directory_path()) /
             "kestrin-fuzz-XXXXXX")
                .string();
        Check(::mkdtemp(pattern.data()) != nullptr, "a temporary folder");
        root_ = pattern;
        dir_ = root_ / "unit";
        std::filesystem::create_directory(dir_);
        const std::filesystem::path source =
            std::filesystem::path(KESTRIN_SOURCE_DIR) / "units" / "default";
        registry_ = ReadWhole(source / "registry.reg");
        Check(!registry_.empty(), "the default unit's registry.reg");
        WriteWhole(dir_ / "registry.reg", registry_);
        WriteWhole(dir_ / "track.nmea", ReadWhole(source / "track.nmea"));
        WriteWhole(dir_ / "nor.bin", std::string(64, '\x5a'));
    }

    ~UnitFolder() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    UnitFolder(const UnitFolder&) = delete;
    UnitFolder& operator=(const UnitFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& dir() const { return dir_; }

    // Back to the folder as made: the registry as it was, no fs/.
    void Reset() const {
        std::error_code ec;
        std::filesystem::remove_all(dir_ / "fs", ec);
        WriteWhole(dir_ / "registry.reg", registry_);
    }

    // Nothing was made or left beside the unit folder, nor in it but fs/
    // and the files it was made with.
    void CheckNothingOutside() const {
        for (const auto& entry : std::filesystem::directory_iterator(root_)) {
            Check(entry.path() == dir_, "nothing beside the unit folder");
        }
        for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
            const std::string name = entry.path().filename().string();
            Check(name == "unit.toml" || name == "registry.reg" || name == "track.nmea" ||
                      name == "nor.bin" || name == "fs",
                  "nothing new in the unit folder but fs/");
        }
    }

  private:
    std::filesystem::path root_;
    std::filesystem::path dir_;
    std::string registry_;
};

}  // namespace fuzz
