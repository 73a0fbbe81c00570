// The station's icon: a quill nib writing a stroke onto a flash chip, drawn from shapes only so that it
// needs no font and looks the same on every machine.
#pragma once

#include <QIcon>
#include <QImage>

namespace quillon::qt {

// One square image of the icon, size pixels wide.
QImage DrawStationIcon(int size);
// The icon in the two sizes a window shows: 32 and 16 pixels.
QIcon StationIcon();

}  // namespace quillon::qt
