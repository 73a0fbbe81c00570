// Every duration the station waits for, in one place. The programs use the device's real timings;
// tests inject short ones, or a zero timer period to tick the dialog by hand.
#pragma once

#include <algorithm>
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

  // Pauses for `length` at the most: a wait for an answer ends as soon as `arrived` holds. With a pause
  // of the tests' own, it is that pause.
  void PauseUntil(std::chrono::milliseconds length, const std::function<bool()>& arrived) const {
    if (pause) {
      pause(length);
      return;
    }
    constexpr std::chrono::milliseconds kLook{2};
    const auto end = std::chrono::steady_clock::now() + length;
    for (auto now = std::chrono::steady_clock::now(); !arrived() && now < end;
         now = std::chrono::steady_clock::now()) {
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kLook, end - now));
    }
  }
};

}  // namespace quillon
