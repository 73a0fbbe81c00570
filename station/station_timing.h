// Every duration the station waits for, in one place. The programs use the device's real timings;
// tests inject short ones, or a zero timer period to tick the dialog by hand.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace quillon {

// The device needs this long after the open-job command before it takes the first page.
inline constexpr std::chrono::milliseconds kOpenJobPause{10000};

struct StationTiming {
  std::chrono::milliseconds timerPeriod{1000};  // zero: the timer ticks only when fired by hand
  std::chrono::milliseconds openJobPause{kOpenJobPause};
  std::chrono::milliseconds handshakeWait{500};
  // How a worker pauses; empty: it sleeps. Tests pause until what they wait for has happened instead.
  std::function<void(std::chrono::milliseconds)> pause;

  void Pause(std::chrono::milliseconds length) const {
    if (pause) {
      pause(length);
    } else {
      std::this_thread::sleep_for(length);
    }
  }
};

}  // namespace quillon
