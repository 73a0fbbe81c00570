#include "front/win32/line_painting.h"

#include <algorithm>

#include "front/common/line_look.h"
#include "link/os/wide_text.h"

namespace quillon::win32 {
namespace {

COLORREF ColourOf(const Rgb& rgb) {
  return RGB(rgb.red, rgb.green, rgb.blue);
}

// A GDI object selected into the context for as long as it lives, and deleted after.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_object(object), m_before(::SelectObject(dc, object)) {}
  ~Selected() {
    ::SelectObject(m_dc, m_before);
    ::DeleteObject(m_object);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_object;
  HGDIOBJ m_before;
};

// The dialog font (mapped to a CJK font where Chinese is shown) at `pixels` high.
HFONT Font(int pixels, bool bold) {
  return ::CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                       L"MS Shell Dlg 2");
}

void Fill(HDC dc, const RECT& box, COLORREF colour) {
  const HBRUSH brush = ::CreateSolidBrush(colour);
  ::FillRect(dc, &box, brush);
  ::DeleteObject(brush);
}

void Text(HDC dc, const std::string& text, RECT box, UINT format) {
  const std::wstring wide = WideText(text);
  ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, format | DT_NOPREFIX);
}

void DrawIcon(HDC dc, TileIcon icon, const RECT& box, COLORREF colour) {
  const int width = box.right - box.left;
  const RECT inner{box.left + width / 6, box.top + width / 6, box.right - width / 6, box.bottom - width / 6};
  const Selected pen(dc, ::CreatePen(PS_SOLID, std::max(3, width / 8), colour));
  const HGDIOBJ hollow = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  const int middleY = (inner.top + inner.bottom) / 2;
  switch (icon) {
    case TileIcon::kPassed: {
      const POINT tick[] = {{inner.left, middleY},
                            {inner.left + (inner.right - inner.left) * 2 / 5, inner.bottom},
                            {inner.right, inner.top}};
      ::Polyline(dc, tick, 3);
      break;
    }
    case TileIcon::kFailed: {
      const POINT down[] = {{inner.left, inner.top}, {inner.right, inner.bottom}};
      const POINT up[] = {{inner.right, inner.top}, {inner.left, inner.bottom}};
      ::Polyline(dc, down, 2);
      ::Polyline(dc, up, 2);
      break;
    }
    case TileIcon::kWriting: {
      const POINT arrow[] = {{inner.left, inner.top}, {inner.right, middleY}, {inner.left, inner.bottom}};
      ::Polyline(dc, arrow, 3);
      break;
    }
    case TileIcon::kWaiting:
      ::Ellipse(dc, inner.left, inner.top, inner.right, inner.bottom);
      break;
    case TileIcon::kStopped:
      ::Rectangle(dc, inner.left, inner.top, inner.right, inner.bottom);
      break;
    case TileIcon::kNone:
      break;
  }
  ::SelectObject(dc, hollow);
}

void PaintTile(HDC dc, const Tile& tile, const Box& box) {
  const TileLook look = LookOf(tile);
  const RECT area{box.left, box.top, box.left + box.width, box.top + box.height};
  Fill(dc, area, ColourOf(look.background));
  const TileFonts sizes = FontsFor(box);
  const COLORREF ink = ColourOf(look.text);
  ::SetTextColor(dc, ink);
  const int margin = sizes.small;
  const int left = area.left + margin;
  const int right = area.right - margin;
  int y = area.top + margin / 2;
  {
    const Selected large(dc, Font(sizes.large, true));
    Text(dc, look.number, {left, y, right, y + sizes.large * 13 / 10}, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
  DrawIcon(dc, look.icon, {right - sizes.large, y, right, y + sizes.large}, ink);
  y += sizes.large * 13 / 10;
  {
    const Selected small(dc, Font(sizes.small, false));
    Text(dc, look.name, {left, y, right, y + sizes.small * 14 / 10},
         DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
  }
  y += sizes.small * 16 / 10;
  {
    const Selected large(dc, Font(sizes.large, true));
    Text(dc, look.stateWord, {left, y, right, y + sizes.large * 13 / 10},
         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  y += sizes.large * 14 / 10;
  if (look.bar >= 0) {
    Fill(dc, {left, y, right, y + sizes.small}, RGB(0x60, 0x90, 0xD8));
    Fill(dc, {left, y, left + static_cast<int>((right - left) * look.bar), y + sizes.small}, ink);
    y += sizes.small * 3 / 2;
  }
  std::string lines;
  for (const std::string& line : look.lines) lines += (lines.empty() ? "" : "\n") + line;
  {
    const Selected small(dc, Font(sizes.small, false));
    Text(dc, lines, {left, y, right, area.bottom - margin / 2}, DT_LEFT | DT_TOP | DT_WORDBREAK);
  }
  if (!look.flag.empty()) {
    const RECT band{area.left, area.bottom - sizes.small * 2, area.right, area.bottom};
    Fill(dc, band, ColourOf(kFlagBackground));
    ::SetTextColor(dc, RGB(0, 0, 0));
    const Selected bold(dc, Font(sizes.small, true));
    Text(dc, look.flag, band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

}  // namespace

void PaintLine(HDC dc, const RECT& area, const LineModel* model, const std::string& problem) {
  Fill(dc, area, RGB(0x20, 0x20, 0x20));
  ::SetBkMode(dc, TRANSPARENT);
  if (model == nullptr) {
    ::SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    const Selected font(dc, Font(20, false));
    Text(dc, problem, {area.left + 20, area.top + 20, area.right - 20, area.bottom - 20},
         DT_CENTER | DT_WORDBREAK);
    return;
  }
  const LineHeader header = model->Header();
  Fill(dc, {area.left, area.top, area.right, area.top + kLineHeaderHeight}, ColourOf(kHeaderBackground));
  ::SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  {
    const Selected font(dc, Font(20, false));
    int y = area.top + 6;
    for (const std::string& line : HeaderLines(header)) {
      Text(dc, line, {area.left + 12, y, area.right - 12, y + 28}, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      y += 28;
    }
  }
  int top = area.top + kLineHeaderHeight;
  if (const std::string banner = OpenBanner(header); !banner.empty()) {
    const RECT band{area.left, top, area.right, top + kLineBannerHeight};
    Fill(dc, band, ColourOf(kBannerBackground));
    ::SetTextColor(dc, RGB(0, 0, 0));
    const Selected font(dc, Font(16, false));
    Text(dc, banner, band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    top += kLineBannerHeight;
  }
  const std::vector<Tile> tiles = model->Tiles();
  const std::vector<Box> boxes =
      TileGrid(static_cast<int>(tiles.size()), {area.left, top, area.right - area.left, area.bottom - top},
               kLineTileGap);
  for (std::size_t i = 0; i < tiles.size(); ++i) PaintTile(dc, tiles[i], boxes[i]);
}

}  // namespace quillon::win32
