#include "framework_prompt.h"

#include "ui/desktop.h"
#include "ui/message_box.h"

namespace program {

int FrameworkPrompt::MessageBox(std::string_view text, std::string_view caption,
                                platform::UINT type) {
    if (ui::Desktop::Current() != nullptr) {
        return ui::MessageBox(nullptr, text, caption, type);
    }
    err_ << caption << ": " << text << '\n';
    return platform::IDOK;
}

}  // namespace program
