// quillon-icons DIR: writes quillon-32.png and quillon-16.png. Run it again when the drawing changes.
#include <QString>
#include <cstdio>

#include "app/qt/station_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: quillon-icons DIR\n", stderr);
    return 2;
  }
  const QString directory = QString::fromLocal8Bit(argv[1]);
  for (int size : {32, 16}) {
    const QString file = QStringLiteral("%1/quillon-%2.png").arg(directory).arg(size);
    if (!quillon::qt::DrawStationIcon(size).save(file, "PNG")) {
      std::fprintf(stderr, "quillon-icons: cannot write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
  }
  return 0;
}
