// A short spin before blocking. Handing a byte to another thread and getting it back costs two
// sleeps and wake-ups when both sides block at once; when the other side answers within microseconds,
// as the dialog thread does, a brief spin saves both.
#pragma once

#include <chrono>
#include <thread>

namespace quillon {

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__) || defined(__arm__)
  asm volatile("yield");
#endif
}

// True as soon as ready() holds; false once the budget is spent without it.
template <typename Ready>
bool SpinUntil(Ready ready, std::chrono::microseconds budget = std::chrono::microseconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + budget;
  for (;;) {
    for (int i = 0; i < 64; ++i) {
      if (ready()) return true;
      CpuRelax();
    }
    std::this_thread::yield();
    if (std::chrono::steady_clock::now() >= deadline) return ready();
  }
}

}  // namespace quillon
