#include "tools/fontpreview/glyph_sheet.h"

#include <QPainter>

#include <algorithm>

#include "fonts/glyph_bits.h"

namespace quillon::tools {
namespace {

const QColor kPaper(255, 255, 255);
const QColor kCell(236, 240, 250);
const QColor kInk(0, 0, 0);
const QColor kGrid(160, 170, 200);
constexpr int kGapBetweenStrips = 8;

int Rows(const GlyphStrip& strip, int columns) {
  return (strip.count + columns - 1) / columns;
}

// A grid line before every cell and after the last, one screen pixel wide.
QSize StripSize(const GlyphStrip& strip, const SheetStyle& style) {
  const int columns = std::min(style.columns, std::max(strip.count, 1));
  return {columns * (strip.format.width * style.scale + 1) + 1,
          Rows(strip, columns) * (strip.format.height * style.scale + 1) + 1};
}

void DrawStrip(QPainter& painter, const GlyphStrip& strip, const SheetStyle& style, int top) {
  const int columns = std::min(style.columns, std::max(strip.count, 1));
  const QSize size = StripSize(strip, style);
  painter.fillRect(0, top, size.width(), size.height(), kGrid);
  const int cellWidth = strip.format.width * style.scale;
  const int cellHeight = strip.format.height * style.scale;
  for (int n = 0; n < strip.count; ++n) {
    const int x = 1 + (n % columns) * (cellWidth + 1);
    const int y = top + 1 + (n / columns) * (cellHeight + 1);
    painter.fillRect(x, y, cellWidth, cellHeight, kCell);
    const auto glyph = strip.bytes.subspan(n * strip.format.Bytes(), strip.format.Bytes());
    for (int row = 0; row < strip.format.height; ++row) {
      for (int column = 0; column < strip.format.width; ++column) {
        if (GlyphPixel(glyph, strip.format, column, row)) {
          painter.fillRect(x + column * style.scale, y + row * style.scale, style.scale, style.scale, kInk);
        }
      }
    }
  }
}

}  // namespace

QImage DrawGlyphSheet(const std::vector<GlyphStrip>& strips, const SheetStyle& style) {
  int width = 1;
  int height = 0;
  for (const GlyphStrip& strip : strips) {
    const QSize size = StripSize(strip, style);
    width = std::max(width, size.width());
    height += size.height() + kGapBetweenStrips;
  }
  QImage sheet(width, std::max(height - kGapBetweenStrips, 1), QImage::Format_RGB32);
  sheet.fill(kPaper);
  QPainter painter(&sheet);
  int top = 0;
  for (const GlyphStrip& strip : strips) {
    DrawStrip(painter, strip, style, top);
    top += StripSize(strip, style).height() + kGapBetweenStrips;
  }
  return sheet;
}

}  // namespace quillon::tools
