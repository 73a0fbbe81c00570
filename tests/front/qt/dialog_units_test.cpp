// Dialog units to pixels, and the icon the window and the installed files carry.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>

#include "front/qt/dialog_units.h"
#include "front/qt/station_icon.h"

namespace quillon::qt {
namespace {

TEST(DialogUnitsTest, AQuarterCharacterAcrossAndAnEighthDown) {
  const DialogUnits units(7, 16);
  EXPECT_EQ(units.ToPixels({79, 17, 152, 29}), QRect(138, 34, 266, 58));
  EXPECT_EQ(units.ToPixels({597, 320, 0, 0}).topLeft(), QPoint(1045, 640));
}

TEST(DialogUnitsTest, RoundsToTheNearestPixel) {
  const DialogUnits units(6, 13);
  EXPECT_EQ(units.ToPixelsX(1), 2);  // 1.5
  EXPECT_EQ(units.ToPixelsX(3), 5);  // 4.5
  EXPECT_EQ(units.ToPixelsY(1), 2);  // 1.625
  EXPECT_EQ(units.ToPixelsY(3), 5);  // 4.875
  EXPECT_EQ(units.ToPixelsY(4), 7);  // 6.5
  EXPECT_EQ(units.ToPixelsX(-3), -5);
}

TEST(DialogUnitsTest, TheWindowFontIsANinePointChineseFace) {
  const QFont font = DialogFont();
  EXPECT_EQ(font.pointSize(), 9);
  const QFontInfo info(font);
  EXPECT_TRUE(info.family().contains(QStringLiteral("WenQuanYi"))) << info.family().toStdString();
  const DialogUnits units = DialogUnits::ForFont(font);
  EXPECT_GT(units.AverageCharWidth(), 2);
  EXPECT_GT(units.CharHeight(), units.AverageCharWidth());
}

// Pixels that are not fully transparent.
int DrawnPixels(const QImage& image) {
  int drawn = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) drawn += qAlpha(image.pixel(x, y)) != 0 ? 1 : 0;
  }
  return drawn;
}

TEST(StationIconTest, ComesInThirtyTwoAndSixteenPixels) {
  for (int size : {32, 16}) {
    const QImage image = DrawStationIcon(size);
    EXPECT_EQ(image.size(), QSize(size, size));
    const int drawn = DrawnPixels(image);
    EXPECT_GT(drawn, size * size / 5) << size;
    EXPECT_LT(drawn, size * size) << "the corners stay transparent, " << size;
  }
  const QIcon icon = StationIcon();
  EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(32, 32), QSize(16, 16)}));
}

TEST(StationIconTest, TheInstalledImagesAreTheWindowsDrawing) {
  for (int size : {32, 16}) {
    const QString file = QStringLiteral(QUILLON_SOURCE_DIR "/res/icons/quillon-%1.png").arg(size);
    QImage shipped(file);
    ASSERT_FALSE(shipped.isNull()) << file.toStdString();
    EXPECT_EQ(shipped.convertToFormat(QImage::Format_ARGB32), DrawStationIcon(size)) << size;
  }
}

}  // namespace
}  // namespace quillon::qt
