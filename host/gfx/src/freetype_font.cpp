#include "freetype_font.h"

#include <ft2build.h>
#include <sys/stat.h>
#include <unistd.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ui::gfx {

// Named, not file-local: FreeTypeFont::Faces holds them and has external linkage.
struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

namespace {

int Pixels26Dot6(FT_Pos value) {
    return static_cast<int>((value + 32) >> 6);
}

// Control characters (tabs, stray line breaks) take the place of a blank.
char32_t Printable(char32_t c) {
    return c < 0x20 || c == 0x7F ? U' ' : c;
}

}  // namespace

struct FreeTypeFont::Faces {
    // The face must go before its library.
    std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library;
    std::unique_ptr<FT_FaceRec_, FaceDeleter> face;
};

platform::Result<std::unique_ptr<FreeTypeFont>> FreeTypeFont::Open(const std::string& path,
                                                                   int pixelSize) {
    auto fail = [](std::string why) {
        return platform::Result<std::unique_ptr<FreeTypeFont>>(platform::Fail(std::move(why)));
    };
    if (pixelSize <= 0 || pixelSize > 256) {
        return fail("bad pixel size " + std::to_string(pixelSize));
    }
    auto faces = std::make_unique<Faces>();
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return fail("FreeType did not initialise");
    }
    faces->library.reset(library);
    // FreeType's own error would not say why the file cannot be used.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || ::access(path.c_str(), R_OK) != 0) {
        return fail(path + ": " + std::strerror(errno));
    }
    if (S_ISDIR(st.st_mode)) {
        return fail(path + ": a folder, not a font file");
    }
    if (st.st_size == 0) {
        return fail(path + ": an empty file, not a font file");
    }
    FT_Face face = nullptr;
    if (const FT_Error e = FT_New_Face(library, path.c_str(), 0, &face); e != 0) {
        if (e == FT_Err_Unknown_File_Format || e == FT_Err_Invalid_File_Format) {
            return fail(path + ": not a font file");
        }
        return fail(path + ": cannot load the face (FreeType error " + std::to_string(e) + ")");
    }
    faces->face.reset(face);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        return fail(path + ": no size " + std::to_string(pixelSize) + " px");
    }
    return std::make_unique<FreeTypeFont>(std::move(faces));
}

FreeTypeFont::FreeTypeFont(std::unique_ptr<Faces> faces) : faces_(std::move(faces)) {
    const FT_Face face = faces_->face.get();
    SetMetrics(Pixels26Dot6(face->size->metrics.ascender),
               -Pixels26Dot6(face->size->metrics.descender),
               Pixels26Dot6(face->size->metrics.height));
    asciiIndex_.resize(128);
    for (char32_t c = 0; c < 128; ++c) {
        asciiIndex_[c] = FT_Get_Char_Index(face, Printable(c));
    }
    cache_.resize(static_cast<std::size_t>(std::max<FT_Long>(face->num_glyphs, 1)));
}

FreeTypeFont::~FreeTypeFont() = default;

FreeTypeFont::Glyph FreeTypeFont::Render(unsigned index) const {
    Glyph glyph;
    const FT_Face face = faces_->face.get();
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) {
        return glyph;
    }
    const FT_GlyphSlot slot = face->glyph;
    glyph.advance = Pixels26Dot6(slot->advance.x);
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.buffer == nullptr) {
        return glyph;
    }
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.coverage.resize(static_cast<std::size_t>(bitmap.width) * bitmap.rows);
    const int pitch = bitmap.pitch;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char* source =
            pitch >= 0
                ? bitmap.buffer + static_cast<std::ptrdiff_t>(row) * pitch
                : bitmap.buffer + static_cast<std::ptrdiff_t>(bitmap.rows - 1 - row) * -pitch;
        std::copy_n(source, bitmap.width,
                    glyph.coverage.begin() + static_cast<std::ptrdiff_t>(row) *
                                                 static_cast<std::ptrdiff_t>(bitmap.width));
    }
    return glyph;
}

const FreeTypeFont::Glyph& FreeTypeFont::GlyphFor(char32_t codepoint) const {
    unsigned index = codepoint < 128 ? asciiIndex_[codepoint]
                                     : FT_Get_Char_Index(faces_->face.get(), Printable(codepoint));
    if (index >= cache_.size()) {
        index = 0;
    }
    auto& slot = cache_[index];
    if (!slot) {
        slot = Render(index);
    }
    return *slot;
}

}  // namespace ui::gfx
