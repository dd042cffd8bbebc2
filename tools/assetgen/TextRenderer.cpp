#include "TextRenderer.h"

#include "DetMath.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

const char* const kFontSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kFontSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kFontSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";

namespace {

// FreeType's coverage is linear in area, but the player blends in the screen's
// gamma-encoded values, where half coverage of a light letter on a dark ground
// looks far dimmer than half as bright. The strokes a small letter draws across
// pixels (a 2's arc and diagonal) then fade, while those on whole pixels (its
// foot, a 1's stem) stay bright, and a 2 reads as a 1. Encoding coverage with
// the display's gamma of about 2.2 gives every stroke its weight back.
float CoverageOf(unsigned char value)
{
    static const std::array<float, 256> table = [] {
        std::array<float, 256> encoded{};
        for (size_t i = 1; i < encoded.size(); ++i) {
            encoded[i] = static_cast<float>(detmath::Pow(static_cast<double>(i) / 255.0, 1.0 / 2.2));
        }
        return encoded;
    }();
    return table[value];
}

} // namespace

TextRenderer::TextRenderer()
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) == 0) {
        library_ = library;
    }
}

TextRenderer::~TextRenderer()
{
    if (face_ != nullptr) {
        FT_Done_Face(static_cast<FT_Face>(face_));
    }
    if (library_ != nullptr) {
        FT_Done_FreeType(static_cast<FT_Library>(library_));
    }
}

bool TextRenderer::Open(const std::string& fontPath)
{
    FT_Face face = nullptr;
    if (library_ == nullptr || FT_New_Face(static_cast<FT_Library>(library_), fontPath.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "assetgen: cannot open font %s (package fonts-dejavu-core)\n", fontPath.c_str());
        return false;
    }
    if (face_ != nullptr) {
        FT_Done_Face(static_cast<FT_Face>(face_));
    }
    face_ = face;
    return true;
}

void TextRenderer::SetSize(const Canvas& canvas, double size) const
{
    FT_Face face = static_cast<FT_Face>(face_);
    // Pixels are not square in logical units, so the glyphs are squeezed to
    // look right once the picture is stretched over the screen.
    const double pixelHeight = size / canvas.UnitsPerPixelY();
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(pixelHeight * 64.0)), 72, 72);
    FT_Matrix matrix;
    matrix.xx = static_cast<FT_Fixed>(std::lround(65536.0 * canvas.UnitsPerPixelY() / canvas.UnitsPerPixelX()));
    matrix.xy = 0;
    matrix.yx = 0;
    matrix.yy = 0x10000;
    FT_Set_Transform(face, &matrix, nullptr);
}

double TextRenderer::Width(const Canvas& canvas, const std::string& text, double size, double tracking) const
{
    if (face_ == nullptr) {
        return 0.0;
    }
    SetSize(canvas, size);
    FT_Face face = static_cast<FT_Face>(face_);
    double pen = 0.0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (FT_Load_Char(face, static_cast<unsigned char>(text[i]), FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) != 0) {
            continue;
        }
        pen += face->glyph->advance.x / 64.0;
        if (i + 1 < text.size()) {
            pen += tracking / canvas.UnitsPerPixelX();
        }
    }
    return pen * canvas.UnitsPerPixelX();
}

Mask TextRenderer::Line(const Canvas& canvas, const std::string& text, double size, double centreX,
                        double baselineY, double tracking) const
{
    Mask mask = canvas.NewMask();
    if (face_ == nullptr) {
        return mask;
    }
    const double width = Width(canvas, text, size, tracking);
    SetSize(canvas, size);
    FT_Face face = static_cast<FT_Face>(face_);
    double penX = (centreX - width * 0.5) / canvas.UnitsPerPixelX();
    const int baselineRow = static_cast<int>(std::lround(canvas.PixelHeight() - baselineY / canvas.UnitsPerPixelY()));
    for (char c : text) {
        if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) != 0 ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
            continue;
        }
        const FT_GlyphSlot glyph = face->glyph;
        const int left = static_cast<int>(std::lround(penX)) + glyph->bitmap_left;
        const int top = baselineRow - glyph->bitmap_top;
        for (unsigned row = 0; row < glyph->bitmap.rows; ++row) {
            for (unsigned column = 0; column < glyph->bitmap.width; ++column) {
                const int x = left + static_cast<int>(column);
                const int y = top + static_cast<int>(row);
                if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) {
                    continue;
                }
                const unsigned pitch = static_cast<unsigned>(glyph->bitmap.pitch);
                const float v = CoverageOf(glyph->bitmap.buffer[row * pitch + column]);
                mask.At(x, y) = std::max(mask.At(x, y), v);
            }
        }
        penX += glyph->advance.x / 64.0 + tracking / canvas.UnitsPerPixelX();
    }
    return mask;
}
