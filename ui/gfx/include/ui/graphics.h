// Software rendering for the unit's 320 x 240 screen: a framebuffer, solid
// fills, pixels, lines and text (in the face the backend gives:
// ui/gfx_backend.h). Everything the framework draws goes through here; the
// presenters only show or save the result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace ui {

inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenHeight = 240;

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Half-open rectangle: left and top inside, right and bottom outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    [[nodiscard]] bool Empty() const { return right <= left || bottom <= top; }
    [[nodiscard]] bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    [[nodiscard]] Rect Offset(int dx, int dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    [[nodiscard]] Rect Intersect(const Rect& o) const;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour as 0x00RRGGBB (the framebuffer's pixel layout).
using Rgb = std::uint32_t;
constexpr Rgb MakeRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (static_cast<Rgb>(r) << 16) | (static_cast<Rgb>(g) << 8) | b;
}
constexpr std::uint8_t RedOf(Rgb c) {
    return static_cast<std::uint8_t>(c >> 16);
}
constexpr std::uint8_t GreenOf(Rgb c) {
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t BlueOf(Rgb c) {
    return static_cast<std::uint8_t>(c);
}

// Pixels, row-major, one 0x00RRGGBB word each. Every drawing call clips to
// the framebuffer and to the current clip rectangle.
class Framebuffer {
  public:
    explicit Framebuffer(int width = kScreenWidth, int height = kScreenHeight);

    [[nodiscard]] int Width() const { return width_; }
    [[nodiscard]] int Height() const { return height_; }
    [[nodiscard]] const std::uint32_t* Data() const { return pixels_.data(); }
    [[nodiscard]] std::uint32_t* Data() { return pixels_.data(); }

    // The clip rectangle (the whole buffer by default).
    void SetClip(const Rect& clip);
    [[nodiscard]] Rect Clip() const { return clip_; }
    void ResetClip();

    [[nodiscard]] Rgb GetPixel(int x, int y) const;  // 0 outside
    void SetPixel(int x, int y, Rgb color);
    void FillRect(const Rect& r, Rgb color);
    void HLine(int x0, int x1, int y, Rgb color);  // x0 <= x < x1
    void VLine(int x, int y0, int y1, Rgb color);  // y0 <= y < y1
    void FrameRect(const Rect& r, Rgb color);      // one-pixel outline inside r

  private:
    int width_;
    int height_;
    Rect clip_;
    std::vector<std::uint32_t> pixels_;
};

// Text alignment flags (DrawText's format word).
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_BOTTOM = 0x0008;
inline constexpr unsigned DT_WORDBREAK = 0x0010;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_NOCLIP = 0x0100;
inline constexpr unsigned DT_CALCRECT = 0x0400;
inline constexpr unsigned DT_TOP = 0x0000;

enum class FontWeight { Normal, Bold };

// UTF-8 text sized like the unit's 8-point system font (11 pixels), in the
// backend's face: DejaVu Sans Condensed through FreeType on Linux (close to
// the unit's Tahoma widths), Tahoma through GDI on Windows. Glyphs are
// cached; rendering is anti-aliased onto whatever lies beneath.
class Font {
  public:
    // The shared fonts, made on first use. If the backend has no face the
    // program still runs: it says so once on stderr and draws text as boxes
    // of about the right advance.
    static Font& System(FontWeight weight = FontWeight::Normal);

    virtual ~Font() = default;
    [[nodiscard]] virtual int Ascent() const = 0;      // pixels above the baseline
    [[nodiscard]] virtual int Descent() const = 0;     // pixels below (positive)
    [[nodiscard]] virtual int LineHeight() const = 0;  // baseline to baseline
    [[nodiscard]] virtual int Measure(std::string_view text) const = 0;  // advance width
    // Where a line's letters are inked, from its pen start: a glyph's bearing
    // may reach a pixel outside the advance or stop short of it.
    struct Ink {
        int left = 0;
        int right = 0;
    };
    [[nodiscard]] virtual Ink InkOf(std::string_view text) const { return {0, Measure(text)}; }

    // Draws one line with its top-left corner at (x, top); returns the
    // advance. Only pixels inside clip (and the framebuffer's clip) change.
    virtual int DrawLine(Framebuffer& fb, int x, int top, std::string_view text, Rgb color,
                         const Rect& clip) = 0;

    // DrawText: lays text out in r by the DT_* flags. "\r\n" and "\n" break
    // lines (unless DT_SINGLELINE); DT_WORDBREAK wraps at blanks to r's
    // width. With an opaque background each drawn line's cell is filled with
    // background first. Returns the height of the laid-out text; with
    // DT_CALCRECT nothing is drawn and r's right/bottom are set to the
    // text's extent.
    int DrawText(Framebuffer& fb, std::string_view text, Rect& r, unsigned format, Rgb color,
                 const Rgb* background);

    // The lines the text breaks into for a width (DT_WORDBREAK rules).
    [[nodiscard]] std::vector<std::string> Wrap(std::string_view text, int width) const;

    // Whether DrawText shows all of the text in r: every line's letters
    // inside r's width and, for text on several lines, down to the last
    // line's baseline inside r's height. A single line is not held to the
    // height.
    [[nodiscard]] bool Fits(std::string_view text, const Rect& r, unsigned format) const;
};

// Writes the framebuffer as an 8-bit RGB PNG; the reason on failure. The
// backend's (libpng on Linux, the Windows Imaging Component on Windows).
platform::Result<void> WritePng(const Framebuffer& fb, const std::string& path);
// Reads a PNG (any colour type; alpha is dropped) into out, sized to the
// picture; the reason on failure, out unchanged.
platform::Result<void> ReadPng(const std::string& path, Framebuffer* out);

}  // namespace ui
