// Blocking until an atomic changes, and waking whoever blocks on it. The standard library's atomic wait
// is sound where it rests on futexes (Linux). Where it does not (MinGW's libstdc++ 12 on Windows), it
// falls back to a condition variable shared by many atomics, which can miss a wake-up that comes between
// its look at the value and its sleep: a sender would wait for ever for a handled message. There the
// system's own address wait does the same job.
#pragma once

#include <atomic>

#ifdef _WIN32
#include "link/os/windows_api.h"
#endif

namespace quillon {

// Returns once `word` no longer holds `old` (and may return spuriously earlier: callers look again).
template <typename T>
void WaitWhileEquals(const std::atomic<T>& word, T old, std::memory_order order = std::memory_order_seq_cst) {
#ifdef _WIN32
  static_assert(sizeof(std::atomic<T>) == sizeof(T) && std::atomic<T>::is_always_lock_free);
  while (word.load(order) == old) {
    ::WaitOnAddress(const_cast<std::atomic<T>*>(&word), &old, sizeof(T), INFINITE);
  }
#else
  word.wait(old, order);
#endif
}

// Wakes every thread blocked in WaitWhileEquals on `word`; call it after changing `word`.
template <typename T>
void WakeAllWaiters(std::atomic<T>& word) {
#ifdef _WIN32
  ::WakeByAddressAll(&word);
#else
  word.notify_all();
#endif
}

}  // namespace quillon
