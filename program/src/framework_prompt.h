// Message boxes asked for through the platform (not through a window): shown
// as the framework's message box while the console runs, else written to the
// error stream.
#pragma once

#include <ostream>

#include "platform/services.h"

namespace program {

class FrameworkPrompt final : public platform::Prompt {
  public:
    explicit FrameworkPrompt(std::ostream& err) : err_(err) {}
    int MessageBox(std::string_view text, std::string_view caption, platform::UINT type) override;

  private:
    std::ostream& err_;
};

}  // namespace program
