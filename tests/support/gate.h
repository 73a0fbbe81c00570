// A one-shot gate for a test's threads: Wait blocks until someone Opens it. (std::latch rests on the
// library's atomic wait, which can miss a wake-up on Windows.)
#pragma once

#include <condition_variable>
#include <mutex>

namespace quillon::testing {

class Gate {
 public:
  void Open() {
    std::scoped_lock lock(m_lock);
    m_open = true;
    m_opened.notify_all();
  }
  void Wait() {
    std::unique_lock lock(m_lock);
    m_opened.wait(lock, [this] { return m_open; });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_opened;
  bool m_open = false;
};

}  // namespace quillon::testing
