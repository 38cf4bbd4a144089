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
    bool updateScreens = false;    // a failed `expect screen` writes its reference
    // The backend's name: its own reference ("diag.host.png") is looked for
    // before the shared one ("diag.png"); empty: only the shared one.
    std::string backend;
};

// The reference picture an `expect screen` is compared with.
struct Reference {
    std::filesystem::path path;
    std::string named;  // as the script would name it, for messages
};

class Expectations {
  public:
    // target and log must outlive it; notes (a reference written) go to log.
    Expectations(Target& target, std::ostream& log, ExpectationSettings settings);

    // Checks now.
    platform::Result<void> Check(const script::Check& check, ui::Desktop& desktop);

    // The reference of an `expect screen`: the backend's own where there
    // is one, else the shared one.
    [[nodiscard]] Reference ReferenceOf(const ExpectScreen& e) const;

    // Writes the area of the screen as that reference (the one compared
    // with) and notes it on the log.
    platform::Result<void> WriteReference(const ExpectScreen& e, int line, ui::Desktop& desktop);

  private:
    platform::Result<void> Control(int id, ui::Desktop& desktop, ui::WindowInfo* info);
    platform::Result<void> Debug(const ExpectDebug& e);
    platform::Result<void> Screen(const ExpectScreen& e, ui::Desktop& desktop);

    Target& target_;
    std::ostream& log_;
    ExpectationSettings settings_;
    std::size_t debugSeen_ = 0;  // debug lines already looked at
    UnitExpectations unit_;
};

// "diag.host.png" for "diag.png" and the backend "host".
std::string BackendName(const std::string& file, const std::string& backend);

// "expected A, found B"
std::string Mismatch(const std::string& expected, const std::string& found);

}  // namespace script::detail
