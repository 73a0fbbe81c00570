#include "front/qt/dialog_units.h"

#include <QFontMetrics>

namespace quillon::qt {

DialogUnits DialogUnits::ForFont(const QFont& font) {
  // The average width over the Latin letters, as desktop dialog managers measure it: a single
  // character's width would make the layout depend on which letter the font happens to draw narrow.
  static const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const QFontMetrics metrics(font);
  const int total = metrics.horizontalAdvance(kAlphabet);
  const int average = (total / 26 + 1) / 2;
  return DialogUnits(average > 0 ? average : 1, metrics.height() > 0 ? metrics.height() : 1);
}

QFont DialogFont() {
  QFont font(QStringLiteral("WenQuanYi Zen Hei"), 9);
  // Where that face is missing, any face that covers Chinese is better than the default.
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace quillon::qt
