// The station's sounds in the Qt window: a WAV file played without waiting, or the desktop's own beep
// when the file is missing or cannot be played, or no sound device is there.
#pragma once

#include <QString>

namespace quillon::qt {

// On Qt's thread. Returns at once; the sound goes on playing.
void PlaySound(const QString& path);

}  // namespace quillon::qt
