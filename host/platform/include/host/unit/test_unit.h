// Builds a unit directory in a temporary folder from C++ (unit.toml text,
// registry text, files), loads it on the virtual clock and removes the
// folder afterwards, so a test sets up exactly the unit it needs:
//
//   host::unit::TestUnit t({gps1Kind});     // the kinds of component it has
//   t.Toml("[pwm]\nsteps = 4\n").File("\\windows\\VeskApp.ini", "x");
//   ASSERT_TRUE(t.Load()) << t.error();
//   platform::ScopedServices services(t.unit().Services());
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/unit/component.h"
#include "host/unit/fresh_copies.h"
#include "host/unit/temp_dir.h"
#include "host/unit/virtual_unit.h"

namespace host::unit {

class TestUnit {
  public:
    explicit TestUnit(Components components = {});
    ~TestUnit();
    TestUnit(const TestUnit&) = delete;
    TestUnit& operator=(const TestUnit&) = delete;

    TestUnit& Toml(std::string text);
    TestUnit& Registry(std::string text);
    // A file under fs/ at a unit path ("\Mounted Volume\Vesk\calib.dat").
    TestUnit& File(std::string unitPath, std::string content);
    TestUnit& Dir(std::string unitPath);
    // A file of the unit directory itself, beside unit.toml ("nor.bin").
    TestUnit& UnitFile(std::string relativePath, std::string content);
    TestUnit& Options(LoadOptions options);
    // Adds kinds of component to the ones it is loaded with.
    TestUnit& With(Components components);

    // Runs it on a fresh copy of the directory (FreshCopies), as a suite's
    // scripts do, instead of in place.
    TestUnit& OnFreshCopy();

    // Writes the directory (once; dir() then holds it); false when it cannot.
    bool Write();
    // Writes the directory unless written and loads it. False on a
    // configuration error.
    bool Load();
    [[nodiscard]] std::string error() const { return error_; }
    VirtualUnit& unit() { return *unit_; }
    [[nodiscard]] const std::filesystem::path& dir() const;

  private:
    std::unique_ptr<TempDir> dir_;
    std::string toml_;
    std::string registry_;
    std::vector<std::pair<std::string, std::string>> files_;
    std::vector<std::string> dirs_;
    std::vector<std::pair<std::string, std::string>> unitFiles_;
    Components components_;
    LoadOptions options_;
    bool freshCopy_ = false;
    std::unique_ptr<FreshCopies> copies_;
    std::optional<TempDir> copy_;
    std::unique_ptr<VirtualUnit> unit_;
    std::string error_;
};

}  // namespace host::unit
