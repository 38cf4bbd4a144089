// Edits: single-line (scrolls sideways to the caret) and multi-line (wraps
// at blanks, scrolls by lines, with a vertical scroll bar under WS_VSCROLL).
// A focused editable edit takes typed text, Backspace, Delete and the caret
// keys; a read-only one only moves its caret. Text is UTF-8; the caret and
// the selection are byte offsets on character boundaries.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "desktop_impl.h"
#include "edit_lines.h"
#include "look.h"
#include "platform/utf8.h"
#include "ui/line_break.h"

namespace ui::detail {

namespace {

constexpr int kEditMargin = 2;
constexpr int kMinThumb = 8;

using Line = EditLine;

class EditClass : public WindowClass {
  public:
    [[nodiscard]] const char* Name() const override { return "Edit"; }

    LRESULT Proc(DesktopImpl& d, WindowRecord& w, UINT message, WPARAM wParam,
                 LPARAM lParam) override {
        const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        switch (message) {
            case WM_SETTEXT: {
                WindowClass::Proc(d, w, message, wParam, lParam);
                d.DamageWindow(&w);  // the caret, the scrolling and the lines start over
                laidOut_ = false;
                prefixAt_ = 0;
                prefixWidth_ = 0;
                caret_ = anchor_ = 0;
                first_ = 0;
                xOffset_ = 0;
                if (!Multi(w)) {
                    d.NotifyCommand(w, EN_CHANGE);
                }
                return TRUE;
            }
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                d.SetFocus(&w);
                if (d.Find(w.hwnd) != nullptr) {
                    caret_ = anchor_ = CaretAt(d, w, p);
                    d.DamageWindow(&w);
                }
                return 0;
            case WM_MOUSEMOVE:
                if (dragging_) {
                    DragThumb(d, w, p.y + Border(w));
                }
                return 0;
            case WM_LBUTTONUP:
            case WM_CAPTURECHANGED:
                if (dragging_) {
                    dragging_ = false;
                    if (message == WM_LBUTTONUP && d.Capture() == w.hwnd) {
                        d.ReleaseCapture();
                    }
                }
                return 0;
            case WM_CHAR:
                Char(d, w, static_cast<std::uint32_t>(wParam));
                return 0;
            case WM_KEYDOWN:
                Key(d, w, static_cast<UINT>(wParam), lParam);
                return 0;
            case WM_VSCROLL:
                Scroll(d, w, LOWORD(wParam), HIWORD(wParam));
                return 0;
            case EM_GETSEL: {
                const auto [s, e] = Selection();
                if (wParam != 0) {
                    *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(s);
                }
                if (lParam != 0) {
                    *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(e);
                }
                return MAKELONG(static_cast<int>(s), static_cast<int>(e));
            }
            case EM_SETSEL:
                SetSel(d, w, static_cast<std::intptr_t>(wParam), lParam);
                return 0;
            case EM_REPLACESEL: {
                const char* text = reinterpret_cast<const char*>(lParam);
                Replace(d, w, text != nullptr ? text : "");
                d.NotifyCommand(w, EN_CHANGE);
                return 0;
            }
            case EM_LINESCROLL:
                if (Multi(w)) {
                    SetFirst(d, w, first_ + static_cast<int>(lParam));
                }
                return TRUE;
            case EM_SCROLLCARET:
                EnsureCaretVisible(d, w);
                return TRUE;
            case EM_GETLINECOUNT:
                return static_cast<LRESULT>(Lines(d, w).size());
            case EM_GETFIRSTVISIBLELINE:
                return Multi(w) ? first_ : 0;
            case EM_SETREADONLY:
                if (wParam != 0) {
                    w.style |= ES_READONLY;
                } else {
                    w.style &= ~ES_READONLY;
                }
                d.DamageWindow(&w);
                return TRUE;
            default:
                return WindowClass::Proc(d, w, message, wParam, lParam);
        }
    }

    [[nodiscard]] Rect ClientArea(const WindowRecord& w) const override {
        const int b = Border(w);
        const int bar = HasBar(w) ? look::kScrollBarWidth : 0;
        return {b, b, std::max(b, w.rect.Width() - b - bar), std::max(b, w.rect.Height() - b)};
    }

    void PaintNonClient(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        const int width = w.rect.Width();
        const int height = w.rect.Height();
        if (Border(w) > 0) {
            look::SunkenEdge(dc, {0, 0, width, height});
        }
        if (!HasBar(w)) {
            return;
        }
        const Bar bar = Geometry(d, w);
        const bool scrollable = bar.maxFirst > 0 && d.EffectivelyEnabled(&w);
        look::ButtonFace(dc, bar.up, false, false);
        look::ArrowGlyph(dc, bar.up, look::Arrow::Up, scrollable);
        look::ButtonFace(dc, bar.down, false, false);
        look::ArrowGlyph(dc, bar.down, look::Arrow::Down, scrollable);
        dc.FillSolidRect(bar.track, look::kTrack);
        if (scrollable && !bar.thumb.Empty()) {
            look::ButtonFace(dc, bar.thumb, false, false);
        }
    }

    void EraseBackground(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        const bool white = (w.style & ES_READONLY) == 0 && d.EffectivelyEnabled(&w);
        dc.FillSolidRect(d.ClientRect(&w), white ? look::kWindow : look::kFace);
    }

    void Paint(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        const std::vector<Line>& lines = Lines(d, w);
        const Rect client = d.ClientRect(&w);
        const int lh = Font::System().LineHeight();
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(d.EffectivelyEnabled(&w) ? look::kText : look::kGrayText);
        const int top = TextTop(d, w);
        const int visible = VisibleLines(d, w);
        const int from = Multi(w) ? first_ : 0;
        for (int i = 0; i < visible + 1 && from + i < static_cast<int>(lines.size()); ++i) {
            const Line& line = lines[static_cast<std::size_t>(from) + static_cast<std::size_t>(i)];
            Rect r{kEditMargin - xOffset_, top + i * lh, client.right + 4096, top + (i + 1) * lh};
            dc.DrawText(std::string_view(w.text).substr(line.start, line.end - line.start), &r,
                        DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
        }
        if (d.Focus() == w.hwnd) {
            const auto [lineIndex, x] = CaretPlace(d, w, lines);
            const int row = lineIndex - from;
            if (row >= 0 && row < visible) {
                dc.FillSolidRect({x, top + row * lh, x + 1, top + (row + 1) * lh - 1}, look::kText);
            }
        }
    }

    [[nodiscard]] UINT DlgCode(const WindowRecord& w) const override {
        UINT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
        if (Multi(w) && (w.style & ES_WANTRETURN) != 0) {
            code |= DLGC_WANTALLKEYS;
        }
        return code;
    }

    bool NonClientPenDown(DesktopImpl& d, WindowRecord& w, Point p) override {
        if (!HasBar(w)) {
            return false;
        }
        const Bar bar = Geometry(d, w);
        if (bar.up.Contains(p)) {
            SetFirst(d, w, first_ - 1);
        } else if (bar.down.Contains(p)) {
            SetFirst(d, w, first_ + 1);
        } else if (!bar.thumb.Empty() && bar.thumb.Contains(p)) {
            dragging_ = true;
            grab_ = p.y - bar.thumb.top;
            d.SetCapture(&w);
        } else if (bar.track.Contains(p)) {
            const int page = std::max(1, VisibleLines(d, w));
            SetFirst(d, w, p.y < bar.thumb.top ? first_ - page : first_ + page);
        } else {
            return false;
        }
        return true;
    }

  private:
    struct Bar {
        Rect up;
        Rect down;
        Rect track;
        Rect thumb;
        int maxFirst = 0;
    };

    static bool Multi(const WindowRecord& w) { return (w.style & ES_MULTILINE) != 0; }
    static bool Editable(const WindowRecord& w) { return (w.style & ES_READONLY) == 0; }
    static int Border(const WindowRecord& w) { return (w.style & WS_BORDER) != 0 ? 2 : 0; }
    static bool HasBar(const WindowRecord& w) { return Multi(w) && (w.style & WS_VSCROLL) != 0; }

    static int TextWidth(DesktopImpl& d, const WindowRecord& w) {
        return std::max(1, d.ClientRect(&w).Width() - 2 * kEditMargin);
    }

    [[nodiscard]] int TextTop(DesktopImpl& d, const WindowRecord& w) const {
        if (Multi(w)) {
            return 1;
        }
        return std::max(0, (d.ClientRect(&w).Height() - Font::System().LineHeight()) / 2);
    }

    static int VisibleLines(DesktopImpl& d, const WindowRecord& w) {
        if (!Multi(w)) {
            return 1;
        }
        return std::max(1, (d.ClientRect(&w).Height() - 1) / Font::System().LineHeight());
    }

    // The display lines (edit_lines.h), laid out again whole only when
    // the text changed other than through this edit, or its width did.
    const std::vector<Line>& Lines(DesktopImpl& d, const WindowRecord& w) const {
        const bool wrap = (w.style & ES_AUTOHSCROLL) == 0;
        const int width = Multi(w) && wrap ? TextWidth(d, w) : 0;
        if (!laidOut_ || laidSize_ != w.text.size() || lines_.Width() != width ||
            lines_.MultiLine() != Multi(w) || lines_.Wraps() != (Multi(w) && wrap)) {
            lines_.LayOut(Font::System(), w.text, width, Multi(w), wrap);
            laidOut_ = true;
            laidSize_ = w.text.size();
            prefixAt_ = 0;
            prefixWidth_ = 0;
        }
        return lines_.Lines();
    }

    // The advance of the text's first `at` bytes, measured on from the
    // offset asked for last while the text before it stays: typing at the
    // end measures only what was typed.
    int PrefixWidth(const WindowRecord& w, std::size_t at) const {
        if (at < prefixAt_) {
            prefixAt_ = 0;
            prefixWidth_ = 0;
        }
        prefixWidth_ +=
            Font::System().Measure(std::string_view(w.text).substr(prefixAt_, at - prefixAt_));
        prefixAt_ = at;
        return prefixWidth_;
    }

    [[nodiscard]] std::pair<int, int> CaretPlace(DesktopImpl& /*d*/, const WindowRecord& w,
                                                 const std::vector<Line>& lines) const {
        const int index = lines_.LineOf(caret_);
        const Line& line = lines[static_cast<std::size_t>(index)];
        const std::size_t upTo = std::min(std::max(caret_, line.start), line.end);
        const int x = kEditMargin - xOffset_ +
                      (line.start == 0 ? PrefixWidth(w, upTo)
                                       : Font::System().Measure(std::string_view(w.text).substr(
                                             line.start, upTo - line.start)));
        return {index, x};
    }

    std::size_t CaretAt(DesktopImpl& d, const WindowRecord& w, Point p) const {
        const std::vector<Line>& lines = Lines(d, w);
        const int lh = Font::System().LineHeight();
        int index = Multi(w) ? first_ + (p.y - TextTop(d, w)) / std::max(1, lh) : 0;
        index = std::clamp(index, 0, static_cast<int>(lines.size()) - 1);
        return ColumnAt(w, lines[static_cast<std::size_t>(index)], p.x - kEditMargin + xOffset_);
    }

    static std::size_t ColumnAt(const WindowRecord& w, const Line& line, int x) {
        const Font& font = Font::System();
        std::size_t best = line.start;
        int bestDistance = std::abs(x);
        for (std::size_t i = line.start; i < line.end;) {
            ++i;
            while (i < line.end && IsContinuationByte(w.text[i])) {
                ++i;
            }
            const int width =
                font.Measure(std::string_view(w.text).substr(line.start, i - line.start));
            if (std::abs(x - width) < bestDistance) {
                bestDistance = std::abs(x - width);
                best = i;
            }
        }
        return best;
    }

    [[nodiscard]] std::pair<std::size_t, std::size_t> Selection() const {
        return {std::min(anchor_, caret_), std::max(anchor_, caret_)};
    }

    static std::size_t Previous(const std::string& t, std::size_t at) {
        if (at == 0) {
            return 0;
        }
        if (at >= 2 && t[at - 1] == '\n' && t[at - 2] == '\r') {
            return at - 2;
        }
        --at;
        while (at > 0 && IsContinuationByte(t[at])) {
            --at;
        }
        return at;
    }

    static std::size_t Next(const std::string& t, std::size_t at) {
        if (at >= t.size()) {
            return t.size();
        }
        if (t[at] == '\r' && at + 1 < t.size() && t[at + 1] == '\n') {
            return at + 2;
        }
        ++at;
        while (at < t.size() && IsContinuationByte(t[at])) {
            ++at;
        }
        return at;
    }

    static std::size_t Snap(const std::string& t, std::size_t at) {
        at = std::min(at, t.size());
        while (at > 0 && at < t.size() && IsContinuationByte(t[at])) {
            --at;
        }
        return at;
    }

    void SetSel(DesktopImpl& d, WindowRecord& w, std::intptr_t start, std::intptr_t end) {
        const std::size_t size = w.text.size();
        if (start < 0) {
            anchor_ = caret_ = Snap(w.text, caret_);
        } else {
            const auto e = end < 0 ? size : static_cast<std::size_t>(end);
            anchor_ = Snap(w.text, static_cast<std::size_t>(start));
            caret_ = Snap(w.text, e);
        }
        EnsureCaretVisible(d, w);
        d.DamageWindow(&w);
    }

    void Replace(DesktopImpl& d, WindowRecord& w, const std::string& text) {
        const auto [s, e] = Selection();
        const bool laidOut = laidOut_ && laidSize_ == w.text.size();
        w.text.replace(s, e - s, text);
        if (laidOut) {
            lines_.Replaced(Font::System(), w.text, s, e, text.size());
            laidSize_ = w.text.size();
        } else {
            laidOut_ = false;
        }
        if (s < prefixAt_) {
            prefixAt_ = 0;
            prefixWidth_ = 0;
        }
        caret_ = anchor_ = s + text.size();
        EnsureCaretVisible(d, w);
        d.DamageWindow(&w);
    }

    void Char(DesktopImpl& d, WindowRecord& w, std::uint32_t cp) {
        if (!Editable(w)) {
            return;
        }
        if (cp == '\b') {
            if (anchor_ == caret_) {
                anchor_ = Previous(w.text, caret_);
            }
            if (anchor_ == caret_) {
                return;
            }
            Replace(d, w, {});
        } else if (cp == '\r' || cp == '\n') {
            if (!Multi(w) || (w.style & ES_WANTRETURN) == 0) {
                return;
            }
            Replace(d, w, "\r\n");
        } else if (cp < 0x20 || cp == 0x7F || cp > 0x10FFFF) {
            return;
        } else {
            if ((w.style & ES_NUMBER) != 0 && (cp < '0' || cp > '9')) {
                return;
            }
            std::string typed;
            platform::utf8::Append(typed, static_cast<char32_t>(cp));
            Replace(d, w, typed);
        }
        d.NotifyCommand(w, EN_CHANGE);
    }

    void Key(DesktopImpl& d, WindowRecord& w, UINT key, LPARAM lParam) {
        if ((key == VK_UP || key == VK_DOWN) && w.arrowKeySpin != nullptr) {
            d.Send(w.arrowKeySpin, WM_KEYDOWN, key, lParam);
            return;
        }
        const std::vector<Line>& lines = Lines(d, w);
        const int index = lines_.LineOf(caret_);
        const Line& line = lines[static_cast<std::size_t>(index)];
        switch (key) {
            case VK_LEFT:
                caret_ = Previous(w.text, caret_);
                break;
            case VK_RIGHT:
                caret_ = Next(w.text, caret_);
                break;
            case VK_HOME:
                caret_ = line.start;
                break;
            case VK_END:
                caret_ = line.end;
                break;
            case VK_UP:
            case VK_DOWN: {
                if (!Multi(w)) {
                    return;
                }
                const int target = index + (key == VK_UP ? -1 : 1);
                if (target < 0 || target >= static_cast<int>(lines.size())) {
                    return;
                }
                const int x = Font::System().Measure(std::string_view(w.text).substr(
                    line.start, caret_ - std::min(caret_, line.start)));
                caret_ = ColumnAt(w, lines[static_cast<std::size_t>(target)], x);
                break;
            }
            case VK_PRIOR:
            case VK_NEXT:
                if (Multi(w)) {
                    const int page = VisibleLines(d, w);
                    SetFirst(d, w, first_ + (key == VK_PRIOR ? -page : page));
                }
                return;
            case VK_DELETE:
                if (!Editable(w)) {
                    return;
                }
                if (anchor_ == caret_) {
                    caret_ = Next(w.text, caret_);
                }
                if (anchor_ != caret_) {
                    Replace(d, w, {});
                    d.NotifyCommand(w, EN_CHANGE);
                }
                return;
            default:
                return;
        }
        anchor_ = caret_;
        EnsureCaretVisible(d, w);
        d.DamageWindow(&w);
    }

    void Scroll(DesktopImpl& d, WindowRecord& w, UINT code, int pos) {
        if (!Multi(w)) {
            return;
        }
        const int page = VisibleLines(d, w);
        switch (code) {
            case SB_LINEUP:
                SetFirst(d, w, first_ - 1);
                break;
            case SB_LINEDOWN:
                SetFirst(d, w, first_ + 1);
                break;
            case SB_PAGEUP:
                SetFirst(d, w, first_ - page);
                break;
            case SB_PAGEDOWN:
                SetFirst(d, w, first_ + page);
                break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION:
                SetFirst(d, w, pos);
                break;
            case SB_TOP:
                SetFirst(d, w, 0);
                break;
            case SB_BOTTOM:
                SetFirst(d, w, 1 << 30);
                break;
            default:
                break;
        }
    }

    int MaxFirst(DesktopImpl& d, const WindowRecord& w) const {
        return std::max(0, static_cast<int>(Lines(d, w).size()) - VisibleLines(d, w));
    }

    void SetFirst(DesktopImpl& d, WindowRecord& w, int first) {
        first = std::clamp(first, 0, MaxFirst(d, w));
        if (first != first_) {
            first_ = first;
            d.DamageWindow(&w);
        }
    }

    void EnsureCaretVisible(DesktopImpl& d, WindowRecord& w) {
        const std::vector<Line>& lines = Lines(d, w);
        if (Multi(w)) {
            const int index = lines_.LineOf(caret_);
            const int visible = VisibleLines(d, w);
            if (index < first_) {
                first_ = index;
            } else if (index >= first_ + visible) {
                first_ = index - visible + 1;
            }
            return;
        }
        const int width = TextWidth(d, w);
        const int x = PrefixWidth(w, std::min(caret_, lines[0].end));
        if (x - xOffset_ > width - 1) {
            xOffset_ = x - width + 1 + width / 4;
        } else if (x < xOffset_) {
            xOffset_ = std::max(0, x - width / 4);
        }
    }

    Bar Geometry(DesktopImpl& d, const WindowRecord& w) const {
        Bar bar;
        const int b = Border(w);
        const int right = w.rect.Width() - b;
        const int bottom = w.rect.Height() - b;
        const int left = right - look::kScrollBarWidth;
        const int arrow = std::min(look::kScrollBarWidth, std::max(0, (bottom - b) / 2));
        bar.up = {left, b, right, b + arrow};
        bar.down = {left, bottom - arrow, right, bottom};
        bar.track = {left, bar.up.bottom, right, bar.down.top};
        const int total = static_cast<int>(Lines(d, w).size());
        const int visible = VisibleLines(d, w);
        bar.maxFirst = std::max(0, total - visible);
        const int trackLength = bar.track.Height();
        if (bar.maxFirst > 0 && trackLength >= kMinThumb) {
            const int thumb = std::max(kMinThumb, trackLength * visible / std::max(1, total));
            const int top = bar.track.top +
                            (trackLength - thumb) * std::min(first_, bar.maxFirst) / bar.maxFirst;
            bar.thumb = {left, top, right, top + thumb};
        }
        return bar;
    }

    void DragThumb(DesktopImpl& d, WindowRecord& w, int windowY) {
        const Bar bar = Geometry(d, w);
        const int room = bar.track.Height() - bar.thumb.Height();
        if (room <= 0 || bar.maxFirst == 0) {
            return;
        }
        const int top = std::clamp(windowY - grab_, bar.track.top, bar.track.top + room);
        SetFirst(d, w, ((top - bar.track.top) * bar.maxFirst + room / 2) / room);
    }

    mutable EditLines lines_;
    mutable bool laidOut_ = false;
    mutable std::size_t laidSize_ = 0;  // the text's size as laid out
    mutable std::size_t prefixAt_ = 0;  // PrefixWidth's last offset and width
    mutable int prefixWidth_ = 0;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
    int first_ = 0;
    int xOffset_ = 0;
    bool dragging_ = false;
    int grab_ = 0;
};

}  // namespace

std::unique_ptr<WindowClass> MakeEditClass() {
    return std::make_unique<EditClass>();
}

}  // namespace ui::detail
