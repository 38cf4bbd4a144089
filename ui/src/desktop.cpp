#include "ui/desktop.h"

#include "desktop_impl.h"
#include "dialog_frame.h"
#include "message_box_dialog.h"

namespace ui {

using detail::DesktopImpl;
using detail::WindowRecord;

Desktop::Desktop(Presenter& presenter, platform::Clock* clock)
    : impl_(std::make_unique<DesktopImpl>(*this, presenter, clock)) {}

Desktop::~Desktop() = default;

Desktop* Desktop::Current() {
    DesktopImpl* d = DesktopImpl::Current();
    return d != nullptr ? &d->facade : nullptr;
}

std::vector<HWND> Desktop::TopLevelWindows() const {
    return impl_->TopLevels();
}

HWND Desktop::ActiveWindow() const {
    return impl_->ActiveWindow();
}

HWND Desktop::FindControl(int id) const {
    const WindowRecord* w = impl_->Find(impl_->ActiveWindow());
    while (w != nullptr) {
        if (const WindowRecord* c = impl_->ChildById(w, id)) {
            return c->hwnd;
        }
        w = impl_->Find(w->owner);
    }
    return nullptr;
}

std::vector<HWND> Desktop::Children(HWND hwnd) const {
    std::vector<HWND> out;
    if (const WindowRecord* w = impl_->Find(hwnd)) {
        for (const WindowRecord* c : w->children) {
            out.push_back(c->hwnd);
        }
    }
    return out;
}

std::optional<WindowInfo> Desktop::Describe(HWND hwnd) const {
    WindowRecord* w = impl_->Find(hwnd);
    if (w == nullptr) {
        return std::nullopt;
    }
    WindowInfo info;
    info.hwnd = hwnd;
    info.id = w->id;
    info.className = w->cls->Name();
    info.text = w->text;
    info.visible = impl_->EffectivelyVisible(w);
    info.enabled = w->Enabled();
    info.screenRect = impl_->ScreenRect(w);
    info.style = w->style;
    for (const WindowRecord::ClippedText& t : w->clippedTexts) {
        info.clippedTexts.push_back(t.text);
    }
    if (info.className == "Button" && (w->style & BS_TYPEMASK) != BS_GROUPBOX) {
        info.check = static_cast<int>(impl_->DefProc(w, BM_GETCHECK, 0, 0));
    }
    return info;
}

CWnd* Desktop::WndOf(HWND hwnd) const {
    const WindowRecord* w = impl_->Find(hwnd);
    return w != nullptr ? w->target : nullptr;
}

std::optional<MessageBoxInfo> Desktop::TopMessageBox() const {
    const WindowRecord* w = impl_->Find(impl_->ActiveWindow());
    if (w == nullptr) {
        return std::nullopt;
    }
    const auto* box = dynamic_cast<const detail::CMessageBoxDlg*>(w->target);
    if (box == nullptr) {
        return std::nullopt;
    }
    return MessageBoxInfo{w->hwnd, box->Text(), box->Caption(), box->Type()};
}

bool Desktop::AnswerMessageBox(int answer) {
    const WindowRecord* w = impl_->Find(impl_->ActiveWindow());
    auto* box = w != nullptr ? dynamic_cast<detail::CMessageBoxDlg*>(w->target) : nullptr;
    if (box == nullptr || (answer != IDOK && answer != IDCANCEL) ||
        (answer == IDCANCEL && !box->HasCancel())) {
        return false;
    }
    box->EndDialog(answer);
    return true;
}

void Desktop::SetMessageBoxHook(MessageBoxHook hook) {
    impl_->messageBoxHook = std::move(hook);
}

void Desktop::SetTimerFailureHook(TimerFailureHook hook) {
    impl_->timerFailureHook = std::move(hook);
}

std::optional<std::uint64_t> Desktop::NextTimerDue() const {
    return impl_->NextDue();
}

std::uint64_t Desktop::NowMs() const {
    return impl_->Now();
}

HWND Desktop::WindowAt(Point p) const {
    detail::WindowRecord* top = impl_->Find(impl_->ActiveWindow());
    if (top == nullptr || !top->Visible() || !impl_->ScreenRect(top).Contains(p)) {
        return nullptr;
    }
    bool nonClient = false;
    return impl_->HitTest(top, p, &nonClient)->hwnd;
}

std::optional<Rect> Desktop::CloseBoxRect(HWND hwnd) const {
    return CaptionBoxRect(hwnd, static_cast<int>(detail::CaptionButton::Close));
}

std::optional<Rect> Desktop::OkBoxRect(HWND hwnd) const {
    return CaptionBoxRect(hwnd, static_cast<int>(detail::CaptionButton::Ok));
}

std::optional<Rect> Desktop::CaptionBoxRect(HWND hwnd, int which) const {
    const WindowRecord* w = impl_->Find(hwnd);
    if (w == nullptr) {
        return std::nullopt;
    }
    const auto r = detail::CaptionButtonRect(*w, static_cast<detail::CaptionButton>(which));
    if (!r.has_value()) {
        return std::nullopt;
    }
    return r->Offset(w->rect.left, w->rect.top);
}

const Framebuffer& Desktop::Screen() {
    impl_->PaintAndPresent();
    return impl_->Screen();
}

void Desktop::InvalidateAll() {
    impl_->Damage({0, 0, kScreenWidth, kScreenHeight});
}

std::uint64_t Desktop::PaintPasses() const {
    return impl_->paintPasses;
}

bool Desktop::QueuesEmpty() const {
    return impl_->QueuesEmpty();
}

void Desktop::PumpPending() {
    impl_->PumpPending();
}

void Desktop::Inject(const InputEvent& event) {
    impl_->hub->InjectInput(event);
}

void Desktop::Quit() {
    impl_->hub->RequestQuit();
}

bool Desktop::Quitting() const {
    return impl_->quitting;
}

bool Desktop::WaitingForThread() const {
    return impl_->WaitingForThread();
}

}  // namespace ui
