// What a failed run leaves behind in its artifacts folder: the screen at
// that moment (screen.png, and its windows and controls as windows.json), the
// unit's debug lines, and for a failed `expect screen` the
// compared area as it was and where it differs from the reference.
#pragma once

#include <filesystem>
#include <string>

#include "expectations.h"
#include "script/run_observer.h"
#include "script/script.h"
#include "script/target.h"
#include "ui/desktop.h"

namespace script::detail {

// The pictures of a failed `expect screen` compared with reference.
ScreenPictures TakePictures(const ExpectScreen& e, const Reference& reference,
                            ui::Desktop& desktop);

class Evidence {
  public:
    // folder empty: nothing is kept. target must outlive it.
    Evidence(std::filesystem::path folder, std::string scriptName, Target& target);

    // Keeps what there is (desktop nullptr: the program has ended; screen and
    // pictures: a failed `expect screen`). Returns what the failure line adds
    // about it; why some of it could not be kept goes to *problems.
    std::string Keep(ui::Desktop* desktop, const ExpectScreen* screen,
                     const ScreenPictures* pictures, std::string* problems);

  private:
    bool Write(const ui::Framebuffer& picture, const std::string& name, std::string* problems);

    std::filesystem::path folder_;
    std::string name_;
    Target& target_;
};

}  // namespace script::detail
