// One face of a font file, opened with FreeType, rendering single characters into canvases.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "texts/problem.h"
#include "tools/glyphs/canvas.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace quillon::tools {

// How outlines become 1-bit pixels: the font's hinting for monochrome screens (crisp stems, best for
// fonts hinted for it), or anti-aliased rendering cut at half coverage (even strokes for fonts that are
// not). Faces with bitmap strikes use the strike of the requested size either way.
enum class Rasterising { kMonochrome, kHalfCoverage };

// A character rendered at the face's current size: its ink, and where the ink sits relative to the pen
// origin on the baseline (left and top bearing, y up), and the pen advance, all in pixels.
struct RenderedGlyph {
  Canvas ink;
  int left;
  int top;
  int advance;

  int Descent() const { return ink.Height() - top; }
};

class OutlineFont {
 public:
  // Opens face `faceIndex` of the file, or says why it cannot.
  static Result<OutlineFont> Open(const std::string& path, int faceIndex);

  // The em square becomes `width` × `height` pixels. False when the face cannot be set to that size.
  bool SetPixelSize(int width, int height);
  bool Has(char32_t c) const;
  // Nothing when the face has no glyph for `c`.
  std::optional<RenderedGlyph> Render(char32_t c, Rasterising rasterising) const;

  // Draws `c` into `canvas` with its pen origin at (penX, baseline); false when the face lacks it.
  bool DrawAt(char32_t c, Canvas& canvas, int penX, int baseline, Rasterising rasterising) const;
  // Draws `c` centred on its advance in a cell as wide as `canvas`, on `baseline`. Ink that would stick
  // out of the cell on one side is moved in, as far as the cell allows; ink larger than the cell clips.
  bool DrawCentred(char32_t c, Canvas& canvas, int baseline, Rasterising rasterising) const;

 private:
  struct LibraryDeleter {
    void operator()(FT_LibraryRec_* library) const;
  };
  struct FaceDeleter {
    void operator()(FT_FaceRec_* face) const;
  };

  // The library outlives every face opened from it: declared first, destroyed last.
  std::shared_ptr<FT_LibraryRec_> m_library;
  std::unique_ptr<FT_FaceRec_, FaceDeleter> m_face;
};

}  // namespace quillon::tools
