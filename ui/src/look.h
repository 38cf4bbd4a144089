// The classic Windows CE look: system colours and the small pieces every
// control is drawn from (3-D edges, button faces, radio and check glyphs,
// arrows, message box icons).
#pragma once

#include "ui/dc.h"
#include "ui/graphics.h"
#include "ui/types.h"

namespace ui::detail::look {

inline constexpr COLORREF kFace = RGB(192, 192, 192);
inline constexpr COLORREF kHighlight = RGB(255, 255, 255);
inline constexpr COLORREF kLight = RGB(223, 223, 223);
inline constexpr COLORREF kShadow = RGB(128, 128, 128);
inline constexpr COLORREF kDarkShadow = RGB(0, 0, 0);
inline constexpr COLORREF kWindow = RGB(255, 255, 255);
inline constexpr COLORREF kText = RGB(0, 0, 0);
inline constexpr COLORREF kGrayText = RGB(128, 128, 128);
inline constexpr COLORREF kCaption = RGB(0, 0, 128);
inline constexpr COLORREF kInactiveCaption = RGB(128, 128, 128);
inline constexpr COLORREF kCaptionText = RGB(255, 255, 255);
inline constexpr COLORREF kDesktop = RGB(0, 128, 128);
inline constexpr COLORREF kTrack = RGB(224, 224, 224);

inline constexpr int kCaptionHeight = 18;
inline constexpr int kScrollBarWidth = 13;
inline constexpr int kGlyphSize = 12;

// Two-pixel raised edge (buttons) or sunken edge (edits), inside r.
void RaisedEdge(CDC& dc, const Rect& r);
void SunkenEdge(CDC& dc, const Rect& r);
// A push button: face, edge, pressed look.
void ButtonFace(CDC& dc, const Rect& r, bool pushed, bool isDefault);
enum class Arrow { Up, Down, Left, Right };
// A small filled triangle centred in r.
void ArrowGlyph(CDC& dc, const Rect& r, Arrow dir, bool enabled);
// A 12 x 12 radio circle with its top-left corner at (x, y).
void RadioGlyph(CDC& dc, int x, int y, bool checked, bool enabled);
void CheckGlyph(CDC& dc, int x, int y, bool checked, bool enabled);
// The caption's close box (a cross).
void CloseGlyph(CDC& dc, const Rect& r);
// A 24 x 24 message box icon for MB_ICON* (nothing for 0).
void MessageIcon(CDC& dc, int x, int y, UINT icon);
inline constexpr int kIconSize = 24;

}  // namespace ui::detail::look
