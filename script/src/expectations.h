// The expectations of a script checked on the windows there and then: what
// is wrong, or nothing when it holds.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "platform/result.h"
#include "script/script.h"
#include "script/target.h"
#include "ui/desktop.h"
#include "unit_expectations.h"

namespace script::detail {

struct ExpectationSettings {
    std::string scriptName;        // for the note of a written reference
    std::filesystem::path folder;  // where references are, relative to
    bool updateScreens = false;    // `expect screen` writes its reference
};

class Expectations {
  public:
    // target and log must outlive it; notes (a reference written) go to log.
    Expectations(Target& target, std::ostream& log, ExpectationSettings settings);

    // Checks now; line is the command's, for notes.
    platform::Result<void> Check(const script::Check& check, int line, ui::Desktop& desktop);

    // The reference of an `expect screen`, where it is found.
    [[nodiscard]] std::filesystem::path ReferencePath(const ExpectScreen& e) const;

  private:
    platform::Result<void> Control(int id, ui::Desktop& desktop, ui::WindowInfo* info);
    platform::Result<void> Debug(const ExpectDebug& e);
    platform::Result<void> Screen(const ExpectScreen& e, int line, ui::Desktop& desktop);

    Target& target_;
    std::ostream& log_;
    ExpectationSettings settings_;
    std::size_t debugSeen_ = 0;  // debug lines already looked at
    UnitExpectations unit_;
};

// "expected A, found B"
std::string Mismatch(const std::string& expected, const std::string& found);

}  // namespace script::detail
