#include "ui/dc.h"

#include <utility>

#include "desktop_impl.h"
#include "ui/styles.h"
#include "ui/wnd.h"

namespace ui {

namespace {

Rgb ToRgb(COLORREF c) {
    return MakeRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF ToColorRef(Rgb c) {
    return RGB(RedOf(c), GreenOf(c), BlueOf(c));
}

Font& FontOf(bool bold) {
    return Font::System(bold ? FontWeight::Bold : FontWeight::Normal);
}

}  // namespace

CDC::~CDC() = default;

void CDC::Touch(const Rect& screenRect) {
    const Rect r = screenRect.Intersect(clip_);
    if (r.Empty()) {
        return;
    }
    if (outsidePaint_) {
        if (auto* d = detail::DesktopImpl::Current()) {
            d->ClientDrawn(hwnd_, r);
        }
    }
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return std::exchange(textColor_, color);
}
COLORREF CDC::SetBkColor(COLORREF color) {
    return std::exchange(bkColor_, color);
}
int CDC::SetBkMode(int mode) {
    return std::exchange(bkMode_, mode);
}
void CDC::SelectBoldFont(bool bold) {
    bold_ = bold;
}

void CDC::FillSolidRect(const Rect& rect, COLORREF color) {
    if (fb_ == nullptr) {
        return;
    }
    const Rect r = ToScreen(rect);
    fb_->SetClip(clip_);
    fb_->FillRect(r, ToRgb(color));
    fb_->ResetClip();
    Touch(r);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    FillSolidRect(Rect{x, y, x + cx, y + cy}, color);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    if (fb_ == nullptr) {
        return static_cast<COLORREF>(-1);
    }
    const Point p{x + origin_.x, y + origin_.y};
    if (!clip_.Contains(p)) {
        return static_cast<COLORREF>(-1);
    }
    fb_->SetPixel(p.x, p.y, ToRgb(color));
    Touch({p.x, p.y, p.x + 1, p.y + 1});
    return color;
}

COLORREF CDC::GetPixel(int x, int y) const {
    if (fb_ == nullptr) {
        return static_cast<COLORREF>(-1);
    }
    const Point p{x + origin_.x, y + origin_.y};
    if (!clip_.Contains(p)) {
        return static_cast<COLORREF>(-1);
    }
    return ToColorRef(fb_->GetPixel(p.x, p.y));
}

int CDC::DrawText(std::string_view text, Rect* rect, UINT format) {
    if (rect == nullptr) {
        return 0;
    }
    Font& font = FontOf(bold_);
    Rect r = ToScreen(*rect);
    if ((format & DT_CALCRECT) != 0 || fb_ == nullptr) {
        Framebuffer none(0, 0);
        const int height =
            font.DrawText(fb_ != nullptr ? *fb_ : none, text, r, format | DT_CALCRECT, 0, nullptr);
        if ((format & DT_CALCRECT) != 0) {
            *rect = r.Offset(-origin_.x, -origin_.y);
        }
        return height;
    }
    if ((format & DT_NOCLIP) == 0 && !font.Fits(text, r, format)) {
        if (auto* d = detail::DesktopImpl::Current()) {
            d->TextClipped(hwnd_, text, nonClient_);
        }
    }
    const Rgb background = ToRgb(bkColor_);
    fb_->SetClip(clip_);
    const int height = font.DrawText(*fb_, text, r, format, ToRgb(textColor_),
                                     bkMode_ == OPAQUE ? &background : nullptr);
    fb_->ResetClip();
    Rect reach = r;
    if ((format & DT_NOCLIP) != 0) {
        reach = clip_;
    }
    Touch(reach);
    return height;
}

BOOL CDC::TextOut(int x, int y, std::string_view text) {
    Font& font = FontOf(bold_);
    Rect r{x, y, x + font.Measure(text), y + font.LineHeight()};
    DrawText(text, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
    return fb_ != nullptr ? TRUE : FALSE;
}

void CDC::Draw3dRect(const Rect& rect, COLORREF topLeft, COLORREF bottomRight) {
    if (rect.Empty()) {
        return;
    }
    FillSolidRect({rect.left, rect.top, rect.right - 1, rect.top + 1}, topLeft);
    FillSolidRect({rect.left, rect.top, rect.left + 1, rect.bottom - 1}, topLeft);
    FillSolidRect({rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
    FillSolidRect({rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
}

void CDC::FrameRect(const Rect& rect, COLORREF color) {
    Draw3dRect(rect, color, color);
}

CPaintDC::CPaintDC(CWnd* wnd) {
    if (auto* d = detail::DesktopImpl::Current(); d != nullptr && wnd != nullptr) {
        d->InitPaintDc(*this, wnd->m_hWnd);
    }
}

CClientDC::CClientDC(CWnd* wnd) {
    if (auto* d = detail::DesktopImpl::Current(); d != nullptr && wnd != nullptr) {
        if (detail::WindowRecord* w = d->Find(wnd->m_hWnd)) {
            d->InitClientDc(*this, w, true);
        }
    }
}

CClientDC::~CClientDC() = default;

}  // namespace ui
