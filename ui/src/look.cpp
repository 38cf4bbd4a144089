#include "look.h"

#include <array>
#include <cstdlib>
#include <string_view>

#include "ui/styles.h"

namespace ui::detail::look {

namespace {

// Draws a small picture given as rows of letters: each letter is a colour,
// '.' leaves the pixel alone.
template <std::size_t N>
void Picture(CDC& dc, int x, int y, const std::array<std::string_view, N>& rows,
             COLORREF (*colourOf)(char)) {
    for (std::size_t row = 0; row < N; ++row) {
        const std::string_view line = rows[row];
        for (std::size_t col = 0; col < line.size(); ++col) {
            if (line[col] != '.') {
                dc.SetPixel(x + static_cast<int>(col), y + static_cast<int>(row),
                            colourOf(line[col]));
            }
        }
    }
}

COLORREF RadioColour(char c) {
    switch (c) {
        case 's':
            return kShadow;
        case 'd':
            return kDarkShadow;
        case 'l':
            return kLight;
        case 'h':
            return kHighlight;
        case 'g':
            return kFace;
        default:
            return kWindow;
    }
}

constexpr std::array<std::string_view, 12> kRadioRing = {
    "....ssss....",  //
    "..ssddddss..",  //
    ".sddwwwwddh.",  //
    ".sdwwwwwwlh.",  //
    "sdwwwwwwwwlh",  //
    "sdwwwwwwwwlh",  //
    "sdwwwwwwwwlh",  //
    "sdwwwwwwwwlh",  //
    ".sdwwwwwwlh.",  //
    ".sllwwwwllh.",  //
    "..hhllllhh..",  //
    "....hhhh....",  //
};

}  // namespace

void RaisedEdge(CDC& dc, const Rect& r) {
    if (r.Width() < 2 || r.Height() < 2) {
        return;
    }
    dc.Draw3dRect(r, kHighlight, kDarkShadow);
    dc.Draw3dRect({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kLight, kShadow);
}

void SunkenEdge(CDC& dc, const Rect& r) {
    if (r.Width() < 2 || r.Height() < 2) {
        return;
    }
    dc.Draw3dRect(r, kShadow, kHighlight);
    dc.Draw3dRect({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kDarkShadow, kLight);
}

void ButtonFace(CDC& dc, const Rect& r, bool pushed, bool isDefault) {
    dc.FillSolidRect(r, kFace);
    Rect inner = r;
    if (isDefault) {
        dc.FrameRect(r, kDarkShadow);
        inner = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    if (pushed) {
        dc.FrameRect(inner, kShadow);
    } else {
        RaisedEdge(dc, inner);
    }
}

void ArrowGlyph(CDC& dc, const Rect& r, Arrow dir, bool enabled) {
    const COLORREF colour = enabled ? kText : kGrayText;
    const int cx = r.left + r.Width() / 2;
    const int cy = r.top + r.Height() / 2;
    // A triangle 7 wide and 4 high (or the transpose).
    for (int i = 0; i < 4; ++i) {
        const int half = 3 - i;
        switch (dir) {
            case Arrow::Up:
                dc.FillSolidRect({cx - i, cy - 2 + i, cx + i + 1, cy - 1 + i}, colour);
                break;
            case Arrow::Down:
                dc.FillSolidRect({cx - half, cy - 2 + i, cx + half + 1, cy - 1 + i}, colour);
                break;
            case Arrow::Left:
                dc.FillSolidRect({cx - 2 + i, cy - i, cx - 1 + i, cy + i + 1}, colour);
                break;
            case Arrow::Right:
                dc.FillSolidRect({cx - 2 + i, cy - half, cx - 1 + i, cy + half + 1}, colour);
                break;
        }
    }
}

void RadioGlyph(CDC& dc, int x, int y, bool checked, bool enabled) {
    Picture(dc, x, y, kRadioRing, RadioColour);
    if (!enabled) {
        dc.FillSolidRect({x + 3, y + 3, x + 9, y + 9}, kFace);
    }
    if (checked) {
        const COLORREF dot = enabled ? kText : kGrayText;
        dc.FillSolidRect({x + 5, y + 4, x + 7, y + 8}, dot);
        dc.FillSolidRect({x + 4, y + 5, x + 8, y + 7}, dot);
    }
}

void CheckGlyph(CDC& dc, int x, int y, bool checked, bool enabled) {
    const Rect box{x, y, x + kGlyphSize, y + kGlyphSize};
    dc.FillSolidRect({x + 2, y + 2, x + kGlyphSize - 2, y + kGlyphSize - 2},
                     enabled ? kWindow : kFace);
    SunkenEdge(dc, box);
    if (checked) {
        const COLORREF mark = enabled ? kText : kGrayText;
        // A tick: down-right three steps, then up-right four.
        for (int i = 0; i < 3; ++i) {
            dc.FillSolidRect({x + 3 + i, y + 5 + i, x + 4 + i, y + 8 + i}, mark);
        }
        for (int i = 0; i < 4; ++i) {
            dc.FillSolidRect({x + 6 + i, y + 6 - i, x + 7 + i, y + 9 - i}, mark);
        }
    }
}

void CloseGlyph(CDC& dc, const Rect& r) {
    const int cx = r.left + r.Width() / 2;
    const int cy = r.top + r.Height() / 2;
    for (int i = -3; i <= 3; ++i) {
        dc.FillSolidRect({cx + i - 1, cy + i, cx + i + 1, cy + i + 1}, kText);
        dc.FillSolidRect({cx + i - 1, cy - i, cx + i + 1, cy - i + 1}, kText);
    }
}

void MessageIcon(CDC& dc, int x, int y, UINT icon) {
    if (icon == 0) {
        return;
    }
    const int n = kIconSize;
    COLORREF fill = RGB(0, 0, 192);
    COLORREF mark = kCaptionText;
    const bool triangle = icon == MB_ICONEXCLAMATION;
    if (triangle) {
        fill = RGB(255, 224, 0);
        mark = kText;
    } else if (icon == MB_ICONHAND) {
        fill = RGB(208, 0, 0);
    }
    // Body: a disc (or a triangle for the exclamation mark) with a dark rim.
    for (int row = 0; row < n; ++row) {
        int from = 0;
        int to = 0;
        if (triangle) {
            const int half = (row + 1) / 2;
            from = n / 2 - half;
            to = n / 2 + half;
        } else {
            const int dy = 2 * row + 1 - n;
            int half = 0;
            while ((2 * half + 2) * (2 * half + 2) + dy * dy <= n * n) {
                ++half;
            }
            from = n / 2 - half;
            to = n / 2 + half;
        }
        if (to > from) {
            dc.FillSolidRect({x + from, y + row, x + to, y + row + 1}, kDarkShadow);
            if (to - from > 2 && row > 0 && row < n - 1) {
                dc.FillSolidRect({x + from + 1, y + row, x + to - 1, y + row + 1}, fill);
            }
        }
    }
    const int cx = x + n / 2;
    switch (icon) {
        case MB_ICONINFORMATION:  // "i"
            dc.FillSolidRect({cx - 1, y + 5, cx + 2, y + 8}, mark);
            dc.FillSolidRect({cx - 1, y + 10, cx + 2, y + 19}, mark);
            break;
        case MB_ICONEXCLAMATION:  // "!"
            dc.FillSolidRect({cx - 1, y + 8, cx + 1, y + 17}, mark);
            dc.FillSolidRect({cx - 1, y + 19, cx + 1, y + 21}, mark);
            break;
        case MB_ICONQUESTION:  // "?"
            dc.FillSolidRect({cx - 4, y + 6, cx + 3, y + 8}, mark);
            dc.FillSolidRect({cx + 2, y + 7, cx + 4, y + 12}, mark);
            dc.FillSolidRect({cx - 1, y + 11, cx + 3, y + 13}, mark);
            dc.FillSolidRect({cx - 1, y + 13, cx + 1, y + 16}, mark);
            dc.FillSolidRect({cx - 1, y + 18, cx + 1, y + 20}, mark);
            break;
        default:  // a cross for the stop sign
            for (int i = -5; i <= 5; ++i) {
                dc.FillSolidRect({cx + i - 1, y + n / 2 + i, cx + i + 1, y + n / 2 + i + 1}, mark);
                dc.FillSolidRect({cx + i - 1, y + n / 2 - i, cx + i + 1, y + n / 2 - i + 1}, mark);
            }
            break;
    }
}

}  // namespace ui::detail::look
