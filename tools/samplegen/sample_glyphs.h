// Draws the glyph regions of the sample packages from installed fonts.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/glyphs/cell_text.h"
#include "tools/glyphs/legacy_charset.h"
#include "tools/glyphs/outline_font.h"
#include "tools/samplegen/sample_packages.h"

namespace quillon::tools {

class SampleGlyphs {
 public:
  // Opens the fonts, or says which is missing.
  static Result<SampleGlyphs> Open();

  // The region's glyphs back to back. Codes the character set leaves unassigned stay blank; characters
  // the fonts lack stay blank too and are reported.
  std::vector<std::uint8_t> Draw(const GlyphRegion& region, Problems& problems);

 private:
  SampleGlyphs(OutlineFont mono, OutlineFont cjk, OutlineFont cjkSharp)
      : m_mono(std::move(mono)), m_cjk(std::move(cjk)), m_cjkSharp(std::move(cjkSharp)) {}

  void DrawAscii(const GlyphRegion& region, std::vector<std::uint8_t>& bytes, Problems& problems);
  void DrawNational(const GlyphRegion& region, std::vector<std::uint8_t>& bytes, Problems& problems);

  OutlineFont m_mono;
  OutlineFont m_cjk;
  OutlineFont m_cjkSharp;
  std::map<std::string, LegacyCharset, std::less<>> m_charsets;
};

}  // namespace quillon::tools
