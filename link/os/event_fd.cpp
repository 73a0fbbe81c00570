#include "link/os/event_fd.h"

#include <sys/eventfd.h>

#include <cstdint>

namespace quillon {

bool EventFd::Create() {
  std::scoped_lock guard(m_lock);
  if (m_fd.valid()) return true;
  m_fd.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  m_signalled.store(false, std::memory_order_release);
  return m_fd.valid();
}

void EventFd::Signal() {
  std::scoped_lock guard(m_lock);
  if (!m_fd.valid() || m_signalled.load(std::memory_order_relaxed)) return;
  const std::uint64_t one = 1;
  if (::write(m_fd.get(), &one, sizeof one) == sizeof one) m_signalled.store(true, std::memory_order_release);
}

void EventFd::Reset() {
  std::scoped_lock guard(m_lock);
  if (!m_fd.valid() || !m_signalled.load(std::memory_order_relaxed)) return;
  // Reading an eventfd returns its counter and sets it to 0, which makes it unreadable for poll again.
  std::uint64_t count = 0;
  if (::read(m_fd.get(), &count, sizeof count) == sizeof count) {
    m_signalled.store(false, std::memory_order_release);
  }
}

}  // namespace quillon
