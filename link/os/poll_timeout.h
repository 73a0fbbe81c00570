// A wait's length as the timespec that ppoll takes, which unlike poll's milliseconds can say how many
// microseconds are left before a byte is due.
#pragma once

#include <time.h>

#include <chrono>

namespace quillon {

inline timespec ToTimespec(std::chrono::nanoseconds length) {
  const auto nanoseconds = length.count();
  return timespec{static_cast<time_t>(nanoseconds / 1'000'000'000),
                  static_cast<long>(nanoseconds % 1'000'000'000)};
}

}  // namespace quillon
