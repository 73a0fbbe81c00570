// The serial wait allowance, counted down by the dialog's timer while a worker may store a new one at
// any moment.
#pragma once

#include <atomic>

namespace quillon {

// Takes one off a running allowance; an allowance at 0 stays there. One off what is there now, never
// off what was read before: a worker's allowance stored in between would otherwise be overwritten with
// the old one less one, and its exchange could fail at the next tick.
template <typename Allowance>
void TakeOneOff(Allowance& ticks) {
  auto ticksNow = ticks.load(std::memory_order_relaxed);
  while (ticksNow != 0 &&
         !ticks.compare_exchange_weak(ticksNow, static_cast<decltype(ticksNow)>(ticksNow - 1),
                                      std::memory_order_relaxed)) {
  }
}

}  // namespace quillon
