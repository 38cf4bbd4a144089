#include "gdi_font.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/utf16.h"

// After the framework's headers: windows.h defines macros (DT_*, RGB) that
// would rewrite their declarations.
#include <windows.h>

namespace ui::gfx {

namespace {

// A cache of this many characters is dropped and started again: text from
// devices may be any code point, the memory may not grow without bound.
constexpr std::size_t kMaxCachedGlyphs = 4096;

// Control characters (tabs, stray line breaks) take the place of a blank.
char32_t Printable(char32_t c) {
    return c < 0x20 || c == 0x7F ? U' ' : c;
}

}  // namespace

// The memory DC with the font and a 32-bit top-down DIB section selected;
// what was selected before is put back before anything is deleted.
struct GdiFont::Surface {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    std::uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;

    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface() {
        DropBitmap();
        if (oldFont != nullptr) {
            SelectObject(dc, oldFont);
        }
        if (font != nullptr) {
            DeleteObject(font);
        }
        if (dc != nullptr) {
            DeleteDC(dc);
        }
    }

    void DropBitmap() {
        if (oldBitmap != nullptr) {
            SelectObject(dc, oldBitmap);
            oldBitmap = nullptr;
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
        bits = nullptr;
        width = 0;
        height = 0;
    }

    // A drawing area of at least w x h pixels, cleared to black.
    bool Ensure(int w, int h) {
        if (w > width || h > height) {
            DropBitmap();
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = w;
            info.bmiHeader.biHeight = -h;  // top-down rows
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            void* pixels = nullptr;
            bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
            if (bitmap == nullptr || pixels == nullptr) {
                DropBitmap();
                return false;
            }
            oldBitmap = SelectObject(dc, bitmap);
            bits = static_cast<std::uint32_t*>(pixels);
            width = w;
            height = h;
        }
        GdiFlush();
        std::memset(bits, 0,
                    static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4U);
        return true;
    }
};

platform::Result<std::unique_ptr<GdiFont>> GdiFont::Open(std::string_view face, int pixelSize,
                                                         FontWeight weight) {
    auto fail = [](std::string why) { return platform::Fail(std::move(why)); };
    if (pixelSize <= 0 || pixelSize > 256) {
        return fail("bad pixel size " + std::to_string(pixelSize));
    }
    auto surface = std::make_unique<Surface>();
    surface->dc = CreateCompatibleDC(nullptr);
    if (surface->dc == nullptr) {
        return fail("GDI: no memory device context (error " + std::to_string(GetLastError()) + ")");
    }
    LOGFONTW lf{};
    lf.lfHeight = -pixelSize;  // negative: the em height, not the cell height
    lf.lfWeight = weight == FontWeight::Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    // Grey levels only: ClearType's colour fringes would show on a scaled-up
    // screen and in screenshots.
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    const std::wstring wide = platform::utf16::FromUtf8Lossy(face);
    wcsncpy_s(lf.lfFaceName, LF_FACESIZE, wide.c_str(), _TRUNCATE);
    surface->font = CreateFontIndirectW(&lf);
    if (surface->font == nullptr) {
        return fail("GDI: no font \"" + std::string(face) + "\"");
    }
    surface->oldFont = SelectObject(surface->dc, surface->font);
    SetTextColor(surface->dc, RGB(255, 255, 255));
    SetBkMode(surface->dc, TRANSPARENT);
    SetTextAlign(surface->dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(surface->dc, &metrics) == 0 || metrics.tmHeight <= 0) {
        return fail("GDI: no metrics for \"" + std::string(face) + "\"");
    }
    if (!surface->Ensure(4 * static_cast<int>(metrics.tmHeight), metrics.tmHeight)) {
        return fail("GDI: no drawing surface (error " + std::to_string(GetLastError()) + ")");
    }
    return std::make_unique<GdiFont>(std::move(surface));
}

GdiFont::GdiFont(std::unique_ptr<Surface> surface) : surface_(std::move(surface)) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(surface_->dc, &metrics);
    SetMetrics(metrics.tmAscent, metrics.tmDescent, metrics.tmHeight + metrics.tmExternalLeading);
    wchar_t name[LF_FACESIZE] = {};
    if (GetTextFaceW(surface_->dc, LF_FACESIZE, name) > 0) {
        faceName_ = platform::utf16::ToUtf8(name);
    }
}

GdiFont::~GdiFont() = default;

GdiFont::Glyph GdiFont::Render(char32_t codepoint) const {
    Glyph glyph;
    std::wstring units;
    platform::utf16::Append(units, Printable(codepoint));
    const int count = static_cast<int>(units.size());
    SIZE extent{};
    if (GetTextExtentPoint32W(surface_->dc, units.c_str(), count, &extent) == 0) {
        return glyph;
    }
    glyph.advance = extent.cx;
    // Room on both sides for what overhangs the advance (italic tails,
    // negative side bearings).
    const int pad = LineHeight();
    const int cellWidth = std::max<int>(extent.cx, 0) + 2 * pad;
    const int cellHeight = std::max<int>(extent.cy, LineHeight());
    if (!surface_->Ensure(cellWidth, cellHeight)) {
        return glyph;
    }
    ExtTextOutW(surface_->dc, pad, 0, 0, nullptr, units.c_str(), static_cast<UINT>(count), nullptr);
    GdiFlush();

    const auto stride = static_cast<std::size_t>(surface_->width);
    auto level = [&](int x, int y) {
        const std::uint32_t p =
            surface_->bits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
        return static_cast<std::uint8_t>(
            std::max({(p >> 16) & 0xFFU, (p >> 8) & 0xFFU, p & 0xFFU}));
    };
    int left = cellWidth;
    int right = 0;
    int top = cellHeight;
    int bottom = 0;
    for (int y = 0; y < cellHeight; ++y) {
        for (int x = 0; x < cellWidth; ++x) {
            if (level(x, y) != 0) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
    }
    if (left >= right || top >= bottom) {
        return glyph;  // a blank
    }
    glyph.left = left - pad;
    glyph.top = Ascent() - top;
    glyph.width = right - left;
    glyph.rows = bottom - top;
    glyph.coverage.resize(static_cast<std::size_t>(glyph.width) *
                          static_cast<std::size_t>(glyph.rows));
    auto out = glyph.coverage.begin();
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            *out++ = level(x, y);
        }
    }
    return glyph;
}

const GdiFont::Glyph& GdiFont::GlyphFor(char32_t codepoint) const {
    if (const auto found = cache_.find(codepoint); found != cache_.end()) {
        return found->second;
    }
    if (cache_.size() >= kMaxCachedGlyphs) {
        cache_.clear();
    }
    return cache_.emplace(codepoint, Render(codepoint)).first->second;
}

}  // namespace ui::gfx
