// A manual-reset event on an eventfd: it stays signalled until Reset, and poll sees it as readable while
// it is. The monitor thread polls fd(); other threads Signal it.
#pragma once

#include <atomic>
#include <mutex>

#include "link/os/file_descriptor.h"

namespace quillon {

class EventFd {
 public:
  // Holds no descriptor until Create: the serial port makes its events on its first Configure.
  EventFd() = default;
  EventFd(const EventFd&) = delete;
  EventFd& operator=(const EventFd&) = delete;

  // Makes the descriptor, not signalled. True when the event exists (also when it existed already).
  bool Create();
  bool IsOpen() const { return m_fd.valid(); }
  int fd() const { return m_fd.get(); }

  void Signal();
  void Reset();
  // Answers at once, without waiting.
  bool IsSignalled() const { return m_signalled.load(std::memory_order_acquire); }

 private:
  FileDescriptor m_fd;
  // Signal and Reset keep the descriptor's counter and m_signalled in step, so that IsSignalled (asked
  // before every received byte is handed on) costs no system call.
  std::mutex m_lock;
  std::atomic<bool> m_signalled{false};
};

}  // namespace quillon
