// Unit folders made from the default unit, script files, and the run of a
// program in-process with its output kept.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include "host/seam.h"
#include "host/unit/temp_dir.h"
#include "kestrin_tree.h"
#include "program/run.h"

namespace host::test {

inline const std::filesystem::path kDefaultUnit =
    std::filesystem::path(KESTRIN_SOURCE_DIR) / "units" / "default";

// Makes the unit create this file when it loads: proof of which folder a run
// loaded.
inline constexpr const char* kMarkerToml =
    "\n[[fs.file]]\npath = \"\\\\Mounted Volume2\\\\marker.bin\"\nsize = 16\n";

inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Both halves of kestrin's command line: the shared options and the host's.
struct KestrinOptions : program::Options, UnitOptions {};

// kestrin in-process: the program layer over the host's seam.
inline int RunKestrin(const KestrinOptions& options, const UnitSources& sources, std::ostream& out,
                      std::ostream& err, const program::Hooks& hooks = {}) {
    Seam seam(sources, static_cast<const UnitOptions&>(options));
    return program::Run(options, seam, out, err, hooks);
}

// How a program run ended and what it wrote.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto dir = unit::TempDir::Create("kestrin-program-test-");
        ASSERT_TRUE(dir.ok());
        work_.emplace(std::move(*dir));
    }

    [[nodiscard]] const std::filesystem::path& Work() const { return work_->path(); }

    // A copy of the default unit; extraToml is added to its unit.toml.
    std::filesystem::path CopyOfDefault(const std::string& name,
                                        const std::string& extraToml = {}) {
        auto dir = Work() / name;
        std::filesystem::copy(kDefaultUnit, dir, std::filesystem::copy_options::recursive);
        std::ofstream(dir / "unit.toml", std::ios::app) << extraToml;
        return dir;
    }

    std::filesystem::path WriteFile(const std::string& name, const std::string& text) {
        auto file = Work() / name;
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

    // Replaces the first `from` in a unit's unit.toml.
    static void EditToml(const std::filesystem::path& unitDir, const std::string& from,
                         const std::string& to) {
        std::string toml = ReadFile(unitDir / "unit.toml");
        const std::size_t at = toml.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        toml.replace(at, from.size(), to);
        std::ofstream(unitDir / "unit.toml", std::ios::binary) << toml;
    }

    static bool HasMarker(const std::filesystem::path& unitDir) {
        return std::filesystem::exists(unitDir / "fs" / "Mounted Volume2" / "marker.bin");
    }

  private:
    std::optional<unit::TempDir> work_;
};

}  // namespace host::test
