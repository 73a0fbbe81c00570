#include "front/qt/station_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillon::qt {

QImage DrawStationIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  // Everything is drawn on a 32-unit grid and scaled, so both sizes share one drawing.
  painter.scale(size / 32.0, size / 32.0);

  // The chip: a dark body with pins along its lower half.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x33, 0x3d, 0x4d));
  painter.drawRoundedRect(QRectF(3, 17, 26, 12), 2, 2);
  painter.setBrush(QColor(0xc8, 0xa0, 0x3c));
  for (int pin = 0; pin < 5; ++pin) painter.drawRect(QRectF(5 + pin * 5, 29, 2, 2.5));

  // The stroke the nib has just written, in the chip's light ink.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(0xf0, 0xf0, 0xe6), 2.2, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(7, 23), QPointF(17, 23));

  // The nib, pointing down-left at the stroke's end.
  QPainterPath nib;
  nib.moveTo(17, 23);
  nib.lineTo(21, 12);
  nib.lineTo(29, 4);
  nib.lineTo(26, 15);
  nib.closeSubpath();
  painter.setPen(QPen(QColor(0x6b, 0x2a, 0x1a), 1.0));
  painter.setBrush(QColor(0xd9, 0x55, 0x2b));
  painter.drawPath(nib);
  // The slit that carries the ink.
  painter.drawLine(QPointF(17.5, 22.5), QPointF(23, 13.5));
  return image;
}

QIcon StationIcon() {
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(DrawStationIcon(32)));
  icon.addPixmap(QPixmap::fromImage(DrawStationIcon(16)));
  return icon;
}

}  // namespace quillon::qt
