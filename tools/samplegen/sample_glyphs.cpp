#include "tools/samplegen/sample_glyphs.h"

#include <span>

#include "tools/glyphs/code_point.h"
#include "tools/glyphs/font_files.h"

namespace quillon::tools {
namespace {

// The monospace em for each ASCII cell width: it advances about 0.6 of its width, and its text, from
// the top of the brackets to the bottom of the descenders, is about as tall as the em.
EmSize AsciiEm(GlyphFormat format) {
  return {format.width * 5 / 3, format.height - format.height / 16};
}

// CJK glyphs: the 16-pixel cut from the font's hand-drawn bitmaps; larger ones from its outlines with
// a pixel free all round. The baseline sits 0.88 em below the top of the em box.
constexpr EmSize kSharpEm{16, 16};
constexpr int kSharpBaseline = 14;
constexpr EmSize kOutlineEm{30, 30};
constexpr int kOutlineBaseline = 27;

void Store(const Canvas& glyph, const GlyphRegion& region, int n, std::vector<std::uint8_t>& bytes) {
  glyph.Pack(std::span(bytes).subspan(region.GlyphAddress(n) - region.start, region.format.Bytes()));
}

}  // namespace

Result<SampleGlyphs> SampleGlyphs::Open() {
  const auto missing = [](const Problem& problem, const char* debianPackage) {
    return Problem{problem.kind, problem.words + " (install the Debian package " + debianPackage + ")"};
  };
  Result<OutlineFont> mono = OutlineFont::Open(kDejaVuSansMono.path, kDejaVuSansMono.faceIndex);
  if (!mono) return missing(mono.Failure(), kDejaVuSansMono.debianPackage);
  Result<OutlineFont> cjk = OutlineFont::Open(kWqyZenHei.path, kWqyZenHei.faceIndex);
  if (!cjk) return missing(cjk.Failure(), kWqyZenHei.debianPackage);
  Result<OutlineFont> cjkSharp = OutlineFont::Open(kWqyZenHeiSharp.path, kWqyZenHeiSharp.faceIndex);
  if (!cjkSharp) return missing(cjkSharp.Failure(), kWqyZenHeiSharp.debianPackage);
  return SampleGlyphs(std::move(*mono), std::move(*cjk), std::move(*cjkSharp));
}

std::vector<std::uint8_t> SampleGlyphs::Draw(const GlyphRegion& region, Problems& problems) {
  std::vector<std::uint8_t> bytes(region.End() - region.start, 0);
  if (region.codes.trails == TrailBytes::kNone) {
    DrawAscii(region, bytes, problems);
  } else {
    DrawNational(region, bytes, problems);
  }
  return bytes;
}

void SampleGlyphs::DrawAscii(const GlyphRegion& region, std::vector<std::uint8_t>& bytes,
                             Problems& problems) {
  std::u32string printable;
  for (char32_t c = 0x21; c < 0x7F; ++c) printable += c;
  const EmSize em = AsciiEm(region.format);
  const EmSize ems[] = {em};
  const int baseline = FitBaseline(m_mono, ems, printable, region.format.height, problems);
  for (int n = 0; n < region.codes.Count(); ++n) {
    const char32_t c = region.codes.CodeAt(n);
    if (c == U' ' || c == 0x7F) continue;
    Store(DrawInCell(m_mono, c, em, region.format, baseline, Rasterising::kMonochrome, problems), region, n,
          bytes);
  }
}

void SampleGlyphs::DrawNational(const GlyphRegion& region, std::vector<std::uint8_t>& bytes,
                                Problems& problems) {
  const std::string name(region.codes.iconvName);
  if (!m_charsets.contains(name)) {
    auto charset = LegacyCharset::Open(name);
    if (!charset) {
      problems.push_back("the C library's iconv does not know " + name);
      return;
    }
    m_charsets.emplace(name, std::move(*charset));
  }
  LegacyCharset& charset = m_charsets.find(name)->second;
  const bool sharp = region.format.height <= kSharpEm.height;
  OutlineFont& font = sharp ? m_cjkSharp : m_cjk;
  const EmSize em = sharp ? kSharpEm : kOutlineEm;
  font.SetPixelSize(em.width, em.height);
  std::string lacking;
  int lackingCount = 0;
  for (int n = 0; n < region.codes.Count(); ++n) {
    const auto c = charset.Decode(region.codes.CodeAt(n));
    if (!c) continue;
    Canvas glyph(region.format.width, region.format.height);
    if (!font.DrawCentred(*c, glyph, sharp ? kSharpBaseline : kOutlineBaseline,
                          sharp ? Rasterising::kMonochrome : Rasterising::kHalfCoverage)) {
      if (++lackingCount <= 5) lacking.append(" ").append(CodePointName(*c));
      continue;
    }
    if (glyph.ClippedPixels() > 0) problems.push_back(name + " glyph " + std::to_string(n) + " clipped");
    Store(glyph, region, n, bytes);
  }
  if (lackingCount > 0) {
    problems.push_back(name + ": " + std::to_string(lackingCount) +
                       " characters the font lacks left blank:" + lacking + (lackingCount > 5 ? " ..." : ""));
  }
}

}  // namespace quillon::tools
