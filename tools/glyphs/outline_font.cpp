#include "tools/glyphs/outline_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace quillon::tools {
namespace {

// FreeType measures in 26.6 fixed point.
int Pixels26Dot6(FT_Pos value) {
  return static_cast<int>((value + 32) >> 6);
}

// The start of a run `length` long that begins at `start`, moved to lie within 0..limit if it fits.
int MoveInside(int start, int length, int limit) {
  if (length > limit) return start;
  return std::clamp(start, 0, limit - length);
}

Canvas CanvasFromBitmap(const FT_Bitmap& bitmap) {
  Canvas ink(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
  for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
    const unsigned char* line = bitmap.buffer + row * bitmap.pitch;
    for (int column = 0; column < static_cast<int>(bitmap.width); ++column) {
      const bool set = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (line[column / 8] >> (7 - column % 8)) & 1
                                                               : line[column] >= 128;
      if (set) ink.Set(column, row);
    }
  }
  return ink;
}

}  // namespace

void OutlineFont::LibraryDeleter::operator()(FT_LibraryRec_* library) const {
  FT_Done_FreeType(library);
}
void OutlineFont::FaceDeleter::operator()(FT_FaceRec_* face) const {
  FT_Done_Face(face);
}

Result<OutlineFont> OutlineFont::Open(const std::string& path, int faceIndex) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return Problem{ProblemKind::kSystem, "FreeType cannot start"};
  OutlineFont font;
  font.m_library.reset(library, LibraryDeleter{});
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), faceIndex, &face) != 0) {
    return Problem{ProblemKind::kInputMissing,
                   "cannot open face " + std::to_string(faceIndex) + " of " + path};
  }
  font.m_face.reset(face);
  return font;
}

bool OutlineFont::SetPixelSize(int width, int height) {
  return FT_Set_Pixel_Sizes(m_face.get(), static_cast<FT_UInt>(width), static_cast<FT_UInt>(height)) == 0;
}

bool OutlineFont::Has(char32_t c) const {
  return FT_Get_Char_Index(m_face.get(), c) != 0;
}

std::optional<RenderedGlyph> OutlineFont::Render(char32_t c, Rasterising rasterising) const {
  const FT_UInt index = FT_Get_Char_Index(m_face.get(), c);
  if (index == 0) return std::nullopt;
  const FT_Int32 target =
      rasterising == Rasterising::kMonochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
  if (FT_Load_Glyph(m_face.get(), index, FT_LOAD_RENDER | target) != 0) return std::nullopt;
  const FT_GlyphSlot slot = m_face->glyph;
  return RenderedGlyph{CanvasFromBitmap(slot->bitmap), slot->bitmap_left, slot->bitmap_top,
                       Pixels26Dot6(slot->advance.x)};
}

bool OutlineFont::DrawAt(char32_t c, Canvas& canvas, int penX, int baseline, Rasterising rasterising) const {
  const auto glyph = Render(c, rasterising);
  if (!glyph) return false;
  canvas.Draw(glyph->ink, penX + glyph->left, baseline - glyph->top);
  return true;
}

bool OutlineFont::DrawCentred(char32_t c, Canvas& canvas, int baseline, Rasterising rasterising) const {
  const auto glyph = Render(c, rasterising);
  if (!glyph) return false;
  const int x = (canvas.Width() - glyph->advance) / 2 + glyph->left;
  const int y = baseline - glyph->top;
  canvas.Draw(glyph->ink, MoveInside(x, glyph->ink.Width(), canvas.Width()),
              MoveInside(y, glyph->ink.Height(), canvas.Height()));
  return true;
}

}  // namespace quillon::tools
