#include "expectations.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "picture_files.h"
#include "screen_compare.h"
#include "script/pattern.h"
#include "script/utf8_path.h"
#include "text_escapes.h"
#include "ui/graphics.h"

namespace script::detail {

namespace {

std::string Hex6(std::uint32_t rgb) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(6, '0');
    for (int i = 5; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[rgb & 0xF];
        rgb >>= 4;
    }
    return text;
}

std::string Flag(bool on) {
    return on ? "1" : "0";
}

platform::Result<void> Caption(const ExpectCaption& e, ui::Desktop& desktop) {
    const auto info = desktop.Describe(desktop.ActiveWindow());
    if (!info) {
        return platform::Fail(Mismatch(Quote(e.text), "no window"));
    }
    if (info->text != e.text) {
        return platform::Fail(Mismatch(Quote(e.text), Quote(info->text)));
    }
    return {};
}

platform::Result<void> MessageBox(const ExpectMsgBox& e, ui::Desktop& desktop) {
    const auto box = desktop.TopMessageBox();
    if (!box) {
        return platform::Fail(Mismatch("a message box " + Quote(e.text), "none"));
    }
    if (box->text != e.text) {
        return platform::Fail(Mismatch(Quote(e.text), Quote(box->text)));
    }
    return {};
}

platform::Result<void> NoMessageBox(ui::Desktop& desktop) {
    if (const auto box = desktop.TopMessageBox()) {
        return platform::Fail(Mismatch("no message box", "the message box " + Quote(box->text)));
    }
    return {};
}

platform::Result<void> Pixel(const ExpectPixel& e, ui::Desktop& desktop) {
    const ui::Rgb found = desktop.Screen().GetPixel(e.x, e.y);
    if (found != e.color) {
        return platform::Fail(Mismatch(Hex6(e.color), Hex6(found)));
    }
    return {};
}

platform::Result<void> Fit(ui::Desktop& desktop) {
    desktop.Screen();  // paints what is pending, so that every text on screen was drawn
    std::string found;
    const auto visit = [&](const auto& self, ui::HWND hwnd) -> void {
        const auto info = desktop.Describe(hwnd);
        if (!info || !info->visible) {
            return;
        }
        for (const std::string& text : info->clippedTexts) {
            found += (found.empty() ? "" : ", ") + Quote(text) + " in " +
                     (info->id != 0 ? ControlName(info->id) : "the window " + Quote(info->text));
        }
        for (ui::HWND child : desktop.Children(hwnd)) {
            self(self, child);
        }
    };
    for (ui::HWND top : desktop.TopLevelWindows()) {
        visit(visit, top);
    }
    if (found.empty()) {
        return {};
    }
    return platform::Fail(Mismatch("every text on screen whole", found + " cut short"));
}

platform::Result<void> OnControl(const ExpectText& e, const ui::WindowInfo& info) {
    if (info.text != e.text) {
        return platform::Fail(Mismatch(Quote(e.text), Quote(info.text)));
    }
    return {};
}

platform::Result<void> OnControl(const ExpectMatch& e, const ui::WindowInfo& info) {
    const Pattern::Outcome match = e.pattern->Match(info.text);
    if (!match.refused.empty()) {
        return platform::Fail(ControlName(e.id) + ": " + match.refused);
    }
    if (!match.matched) {
        return platform::Fail(Mismatch("a match of " + Quote(e.text), Quote(info.text)));
    }
    return {};
}

platform::Result<void> OnControl(const ExpectCheck& e, const ui::WindowInfo& info) {
    if (info.check < 0) {
        return platform::Fail(ControlName(e.id) + " is not a button");
    }
    if (info.check != e.state) {
        return platform::Fail(Mismatch(std::to_string(e.state), std::to_string(info.check)));
    }
    return {};
}

platform::Result<void> Same(bool want, bool found) {
    if (want != found) {
        return platform::Fail(Mismatch(Flag(want), Flag(found)));
    }
    return {};
}

platform::Result<void> OnControl(const ExpectEnabled& e, const ui::WindowInfo& info) {
    return Same(e.on, info.enabled);
}

platform::Result<void> OnControl(const ExpectVisible& e, const ui::WindowInfo& info) {
    return Same(e.on, info.visible);
}

}  // namespace

std::string Mismatch(const std::string& expected, const std::string& found) {
    return "expected " + expected + ", found " + found;
}

Expectations::Expectations(Target& target, std::ostream& log, ExpectationSettings settings)
    : target_(target), log_(log), settings_(std::move(settings)), unit_(target) {}

platform::Result<void> Expectations::Check(const script::Check& check, ui::Desktop& desktop) {
    return std::visit(
        [&](const auto& e) -> platform::Result<void> {
            using T = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<T, ExpectCaption>) {
                return Caption(e, desktop);
            } else if constexpr (std::is_same_v<T, ExpectMsgBox>) {
                return MessageBox(e, desktop);
            } else if constexpr (std::is_same_v<T, ExpectNoMsgBox>) {
                return NoMessageBox(desktop);
            } else if constexpr (std::is_same_v<T, ExpectDebug>) {
                return Debug(e);
            } else if constexpr (std::is_same_v<T, ExpectScreen>) {
                return Screen(e, desktop);
            } else if constexpr (std::is_same_v<T, ExpectPixel>) {
                return Pixel(e, desktop);
            } else if constexpr (std::is_same_v<T, ExpectFit>) {
                return Fit(desktop);
            } else if constexpr (std::is_same_v<T, ExpectSent> ||
                                 std::is_same_v<T, ExpectControl> ||
                                 std::is_same_v<T, ExpectFile> ||
                                 std::is_same_v<T, ExpectRegistry> ||
                                 std::is_same_v<T, ExpectSound>) {
                return unit_.Check(e);
            } else {
                ui::WindowInfo info;
                if (platform::Result<void> found = Control(e.id, desktop, &info); !found) {
                    return found;
                }
                return OnControl(e, info);
            }
        },
        check);
}

platform::Result<void> Expectations::Control(int id, ui::Desktop& desktop, ui::WindowInfo* info) {
    const ui::HWND hwnd = desktop.FindControl(id);
    if (hwnd == nullptr) {
        return platform::Fail("no " + ControlName(id) + " in the window on top or its owners");
    }
    auto described = desktop.Describe(hwnd);
    if (!described) {
        return platform::Fail(ControlName(id) + " has gone");
    }
    *info = std::move(*described);
    return {};
}

platform::Result<void> Expectations::Debug(const ExpectDebug& e) {
    const std::vector<std::string> lines = target_.DebugLines();
    if (debugSeen_ > lines.size()) {
        debugSeen_ = 0;  // the unit's record was cleared
    }
    for (std::size_t i = debugSeen_; i < lines.size(); ++i) {
        if (lines[i] == e.text) {
            debugSeen_ = i + 1;
            return {};
        }
    }
    std::string found;
    constexpr std::size_t kShown = 5;
    const std::size_t from = std::max(debugSeen_, lines.size() - std::min(lines.size(), kShown));
    for (std::size_t i = from; i < lines.size(); ++i) {
        found += (found.empty() ? "" : ", ") + Quote(lines[i]);
    }
    if (found.empty()) {
        found = "no new debug line";
    } else if (from > debugSeen_) {
        found = "..., " + found;
    }
    return platform::Fail(Mismatch("the debug line " + Quote(e.text), found));
}

Reference Expectations::ReferenceOf(const ExpectScreen& e) const {
    if (!settings_.backend.empty()) {
        const std::string own = BackendName(e.file, settings_.backend);
        std::filesystem::path path = InFolder(settings_.folder, own);
        std::error_code ec;
        // Anything there is its reference, so that a FIFO or a folder is
        // refused rather than passed over.
        if (std::filesystem::symlink_status(path, ec).type() !=
            std::filesystem::file_type::not_found) {
            return {std::move(path), own};
        }
    }
    return {InFolder(settings_.folder, e.file), e.file};
}

platform::Result<void> Expectations::WriteReference(const ExpectScreen& e, int line,
                                                    ui::Desktop& desktop) {
    const Reference reference = ReferenceOf(e);
    if (platform::Result<void> written =
            WritePicture(Crop(desktop.Screen(), e.area), reference.path);
        !written) {
        return written;
    }
    log_ << settings_.scriptName << ':' << line << ": wrote the reference "
         << Utf8FromPath(reference.path) << '\n';
    return {};
}

platform::Result<void> Expectations::Screen(const ExpectScreen& e, ui::Desktop& desktop) {
    const Reference reference = ReferenceOf(e);
    std::error_code ec;
    if (!settings_.backend.empty() && reference.named == e.file &&
        !std::filesystem::exists(reference.path, ec)) {
        const std::filesystem::path own = PathFromUtf8(BackendName(e.file, settings_.backend));
        return platform::Fail("no reference picture " + Utf8FromPath(reference.path) + " nor " +
                              Utf8FromPath(own.filename()) +
                              " beside it (--update-screens writes the first from the screen)");
    }
    ui::Framebuffer want;
    if (platform::Result<void> read = ReadReference(reference.path, reference.named, e.area, &want);
        !read) {
        return read;
    }
    const ScreenDifference d = Compare(desktop.Screen(), e, want);
    if (Tolerated(d, e.tolerance)) {
        return {};
    }
    return platform::Fail(Described(d, e.tolerance, reference.named));
}

std::string BackendName(const std::string& file, const std::string& backend) {
    // Before the last extension of the file's own name.
    const std::size_t slash = file.find_last_of("/\\");
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = file.rfind('.');
    const std::size_t at = dot == std::string::npos || dot <= name ? file.size() : dot;
    return file.substr(0, at) + "." + backend + file.substr(at);
}

}  // namespace script::detail
