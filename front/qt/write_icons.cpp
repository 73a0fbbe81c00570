// quillon-icons DIR: writes quillon-32.png and quillon-16.png, and quillon.ico for the Windows window (both
// sizes in the 16 colours of the standard palette). Run it again when the drawing changes.
#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "front/qt/station_icon.h"

namespace {

// The 16 colours every Windows display offers.
constexpr std::array<QRgb, 16> kStandardPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
    0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff,
};

int NearestPaletteIndex(QRgb colour) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < static_cast<int>(kStandardPalette.size()); ++i) {
    const long dr = qRed(colour) - qRed(kStandardPalette[i]);
    const long dg = qGreen(colour) - qGreen(kStandardPalette[i]);
    const long db = qBlue(colour) - qBlue(kStandardPalette[i]);
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// One icon image as an .ico file holds it: a bitmap header of twice the height (colours and mask), the
// palette, the 4-bit colour rows and the 1-bit transparency mask, both bottom-up, rows padded to 4 bytes.
std::vector<std::uint8_t> FourBitIconImage(const QImage& image) {
  const int size = image.width();
  const int colourRowBytes = ((size * 4 + 31) / 32) * 4;
  const int maskRowBytes = ((size + 31) / 32) * 4;
  std::vector<std::uint8_t> out;
  PutLittleEndian(out, 40, 4);  // header size
  PutLittleEndian(out, size, 4);
  PutLittleEndian(out, size * 2, 4);
  PutLittleEndian(out, 1, 2);  // planes
  PutLittleEndian(out, 4, 2);  // bits per pixel
  PutLittleEndian(out, 0, 4);  // uncompressed
  PutLittleEndian(out, (colourRowBytes + maskRowBytes) * size, 4);
  for (int i = 0; i < 4; ++i) PutLittleEndian(out, 0, 4);  // resolution, colours used and important
  for (QRgb colour : kStandardPalette) PutLittleEndian(out, colour, 4);  // blue, green, red, 0
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(colourRowBytes, 0);
    for (int x = 0; x < size; ++x) {
      const QRgb pixel = image.pixel(x, y);
      const int index = qAlpha(pixel) < 128 ? 0 : NearestPaletteIndex(pixel);
      row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskRowBytes, 0);
    for (int x = 0; x < size; ++x) {
      if (qAlpha(image.pixel(x, y)) < 128) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<std::uint8_t> IconFile(const std::vector<QImage>& images) {
  std::vector<std::vector<std::uint8_t>> bitmaps;
  for (const QImage& image : images) bitmaps.push_back(FourBitIconImage(image));
  std::vector<std::uint8_t> out;
  PutLittleEndian(out, 0, 2);  // reserved
  PutLittleEndian(out, 1, 2);  // an icon, not a cursor
  PutLittleEndian(out, static_cast<std::uint32_t>(images.size()), 2);
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(images[i].width()));
    out.push_back(static_cast<std::uint8_t>(images[i].height()));
    out.push_back(16);  // colours
    out.push_back(0);
    PutLittleEndian(out, 1, 2);  // planes
    PutLittleEndian(out, 4, 2);  // bits per pixel
    PutLittleEndian(out, static_cast<std::uint32_t>(bitmaps[i].size()), 4);
    PutLittleEndian(out, offset, 4);
    offset += static_cast<std::uint32_t>(bitmaps[i].size());
  }
  for (const auto& bitmap : bitmaps) out.insert(out.end(), bitmap.begin(), bitmap.end());
  return out;
}

bool WriteFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) &&
         file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
             static_cast<qint64>(bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: quillon-icons DIR\n", stderr);
    return 2;
  }
  const QString directory = QString::fromLocal8Bit(argv[1]);
  std::vector<QImage> images;
  for (int size : {32, 16}) {
    const QImage image = quillon::qt::DrawStationIcon(size);
    images.push_back(image);
    const QString file = QStringLiteral("%1/quillon-%2.png").arg(directory).arg(size);
    if (!image.save(file, "PNG")) {
      std::fprintf(stderr, "quillon-icons: cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
  }
  const QString iconFile = directory + QStringLiteral("/quillon.ico");
  if (!WriteFile(iconFile, IconFile(images))) {
    std::fprintf(stderr, "quillon-icons: cannot write %s\n", iconFile.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}
