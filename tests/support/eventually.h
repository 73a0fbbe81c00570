// Polls a condition that another thread makes true and no event announces. The time limit only keeps a
// broken test from hanging; it is never what the test waits for.
#pragma once

#include <chrono>
#include <thread>

namespace quillon::testing {

template <typename Condition>
bool Eventually(Condition condition, std::chrono::seconds limit = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

}  // namespace quillon::testing
