// Message boxes of a program without a window: "<caption>: <text>" on a
// stream, answered OK at once.
#pragma once

#include <ostream>

#include "platform/services.h"

namespace program {

class StreamPrompt final : public platform::Prompt {
  public:
    explicit StreamPrompt(std::ostream& out) : out_(out) {}
    int MessageBox(std::string_view text, std::string_view caption,
                   platform::UINT /*type*/) override {
        out_ << caption << ": " << text << '\n';
        out_.flush();
        return platform::IDOK;
    }

  private:
    std::ostream& out_;
};

}  // namespace program
