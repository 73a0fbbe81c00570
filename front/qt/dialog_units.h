// The window is laid out in dialog units, so that it keeps its proportions with whatever font the
// machine renders it in: a horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.
#pragma once

#include <QFont>
#include <QRect>

#include "front/common/window_layout.h"

namespace quillon::qt {

class DialogUnits {
 public:
  DialogUnits(int averageCharWidth, int charHeight)
      : m_averageCharWidth(averageCharWidth), m_charHeight(charHeight) {}
  static DialogUnits ForFont(const QFont& font);

  int ToPixelsX(int units) const { return Scale(units, m_averageCharWidth, 4); }
  int ToPixelsY(int units) const { return Scale(units, m_charHeight, 8); }
  QRect ToPixels(const DialogRect& rect) const {
    return QRect(ToPixelsX(rect.x), ToPixelsY(rect.y), ToPixelsX(rect.width), ToPixelsY(rect.height));
  }

  int AverageCharWidth() const { return m_averageCharWidth; }
  int CharHeight() const { return m_charHeight; }

 private:
  // Rounded to the nearest pixel, halves away from zero, so that neighbouring controls that touch in
  // units still touch in pixels.
  static int Scale(int units, int base, int divisor) {
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : -((-product + half) / divisor));
  }

  int m_averageCharWidth;
  int m_charHeight;
};

// The window's font: a 9-point CJK face, so the Chinese captions never fall back to boxes.
QFont DialogFont();

}  // namespace quillon::qt
