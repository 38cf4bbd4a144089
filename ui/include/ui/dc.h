// Drawing contexts over the screen's framebuffer, in client coordinates of
// one window and clipped to it. CPaintDC is for OnPaint (clipped to what is
// being repainted); CClientDC draws at once, outside painting, and is shown
// with the next presented frame. Both are for the UI thread.
#pragma once

#include <string_view>

#include "ui/graphics.h"
#include "ui/types.h"

namespace ui {

class CWnd;

namespace detail {
class DesktopImpl;
}

class CDC {
  public:
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    COLORREF SetTextColor(COLORREF color);
    [[nodiscard]] COLORREF GetTextColor() const { return textColor_; }
    COLORREF SetBkColor(COLORREF color);
    [[nodiscard]] COLORREF GetBkColor() const { return bkColor_; }
    int SetBkMode(int mode);  // OPAQUE (default) or TRANSPARENT
    [[nodiscard]] int GetBkMode() const { return bkMode_; }

    void FillSolidRect(const Rect& rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    // Returns the colour set, or (COLORREF)-1 when the pixel is clipped.
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(Point p, COLORREF color) { return SetPixel(p.x, p.y, color); }
    [[nodiscard]] COLORREF GetPixel(int x, int y) const;
    // Lays the text out in rect by the DT_* flags (graphics.h), in the text
    // colour, on the background colour when the mode is OPAQUE. Returns the
    // text's height; DT_CALCRECT only measures (sets rect's right/bottom).
    int DrawText(std::string_view text, Rect* rect, UINT format);
    BOOL TextOut(int x, int y, std::string_view text);
    // One-pixel 3-D frame inside rect.
    void Draw3dRect(const Rect& rect, COLORREF topLeft, COLORREF bottomRight);
    // A one-pixel frame inside rect.
    void FrameRect(const Rect& rect, COLORREF color);

    // The font for text: the system font, normal or bold.
    void SelectBoldFont(bool bold);

    // True when the context draws nowhere (no window, not on screen).
    [[nodiscard]] bool IsNull() const { return fb_ == nullptr; }

  protected:
    CDC() = default;

  private:
    friend class detail::DesktopImpl;

    [[nodiscard]] Rect ToScreen(const Rect& r) const { return r.Offset(origin_.x, origin_.y); }
    void Touch(const Rect& screenRect);

    Framebuffer* fb_ = nullptr;
    HWND hwnd_ = nullptr;
    Point origin_;  // client origin in screen pixels
    Rect clip_;     // screen pixels
    COLORREF textColor_ = 0x000000;
    COLORREF bkColor_ = 0xFFFFFF;
    int bkMode_ = 2;
    bool bold_ = false;
    bool outsidePaint_ = false;
    bool nonClient_ = false;  // draws the window's frame
};

class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* wnd);
};

class CClientDC : public CDC {
  public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;
};

}  // namespace ui
