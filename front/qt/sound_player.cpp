#include "front/qt/sound_player.h"

#include <QApplication>
#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace quillon::qt {

void PlaySound(const QString& path) {
  // Without a sound device an effect would wait to play for ever.
  if (!QFileInfo(path).isFile() || QMediaDevices::defaultAudioOutput().isNull()) {
    QApplication::beep();
    return;
  }
  // One effect per sound, gone once it has played. It loads in the background and starts once loaded.
  auto* effect = new QSoundEffect(QCoreApplication::instance());
  auto startWhenLoaded = [effect] {
    if (effect->status() == QSoundEffect::Error) {
      QApplication::beep();
      effect->deleteLater();
    } else if (effect->status() == QSoundEffect::Ready && !effect->isPlaying()) {
      QObject::disconnect(effect, &QSoundEffect::statusChanged, nullptr, nullptr);
      effect->play();
    }
  };
  QObject::connect(effect, &QSoundEffect::statusChanged, effect, startWhenLoaded);
  QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
    if (!effect->isPlaying()) effect->deleteLater();
  });
  effect->setSource(QUrl::fromLocalFile(path));
  startWhenLoaded();  // a sound loaded before is ready at once
}

}  // namespace quillon::qt
