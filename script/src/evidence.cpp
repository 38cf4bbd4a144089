#include "evidence.h"

#include <fstream>
#include <optional>
#include <system_error>
#include <utility>

#include "picture_files.h"
#include "screen_compare.h"
#include "script/utf8_path.h"
#include "script/window_tree.h"
#include "text_escapes.h"

namespace script::detail {

ScreenPictures TakePictures(const ExpectScreen& e, const Reference& reference,
                            ui::Desktop& desktop) {
    ScreenPictures pictures{Crop(desktop.Screen(), e.area), std::nullopt, std::nullopt, e.area,
                            e.masks};
    ui::Framebuffer read;
    if (ReadReference(reference.path, reference.named, e.area, &read)) {
        pictures.difference = Compare(desktop.Screen(), e, read).picture;
        pictures.reference = std::move(read);
    }
    return pictures;
}

Evidence::Evidence(std::filesystem::path folder, std::string scriptName, Target& target)
    : folder_(std::move(folder)), name_(std::move(scriptName)), target_(target) {}

bool Evidence::Write(const ui::Framebuffer& picture, const std::string& name,
                     std::string* problems) {
    if (const platform::Result<void> written =
            ui::WritePng(picture, Utf8FromPath(folder_ / PathFromUtf8(name)));
        !written) {
        *problems += name_ + ": " + written.error() + '\n';
        return false;
    }
    return true;
}

std::string Evidence::Keep(ui::Desktop* desktop, const ExpectScreen* screen,
                           const ScreenPictures* pictures, std::string* problems) {
    if (folder_.empty()) {
        return {};
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec || !std::filesystem::is_directory(folder_, ec)) {
        *problems += name_ + ": cannot keep the evidence in " + Utf8FromPath(folder_) + ": " +
                     (ec ? ec.message() : std::string("not a folder")) + '\n';
        return {};
    }
    std::string kept;
    if (desktop != nullptr) {
        Write(desktop->Screen(), "screen.png", problems);
        // The same screen as data: its windows and controls.
        std::ofstream windows(folder_ / "windows.json", std::ios::binary | std::ios::trunc);
        windows << WindowTreeJson(*desktop);
        windows.close();
        if (!windows) {
            *problems += name_ + ": " + Utf8FromPath(folder_ / "windows.json") + ": cannot write\n";
        }
        if (screen != nullptr && pictures != nullptr) {
            // What was there instead of the reference, and where it differs.
            const std::string stem = Utf8FromPath(PathFromUtf8(screen->file).stem());
            const bool actual = Write(pictures->actual, stem + ".actual.png", problems);
            const bool difference =
                pictures->difference && Write(*pictures->difference, stem + ".diff.png", problems);
            if (actual || difference) {
                kept = std::string("; the ") +
                       (actual && difference ? "actual and difference pictures are"
                        : actual             ? "actual picture is"
                                             : "difference picture is") +
                       " in " + Utf8FromPath(folder_);
            }
        }
    }
    std::ofstream debug(folder_ / "debug.txt", std::ios::binary | std::ios::trunc);
    for (const std::string& line : target_.DebugLines()) {
        debug << line;
    }
    debug.close();
    if (!debug) {
        *problems += name_ + ": " + Utf8FromPath(folder_ / "debug.txt") + ": cannot write\n";
    }
    return kept;
}

}  // namespace script::detail
