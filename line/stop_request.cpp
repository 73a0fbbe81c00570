#include "line/stop_request.h"

namespace quillon {

void StopRequest::Raise() {
  StopLevel level = m_level.load();
  StopLevel next = StopLevel::kNow;
  do {
    next = level == StopLevel::kNone ? StopLevel::kAfterUnit : StopLevel::kNow;
  } while (!m_level.compare_exchange_weak(level, next));
  Changed(next);
}

void StopRequest::RaiseTo(StopLevel level) {
  StopLevel current = m_level.load();
  while (current < level) {
    if (m_level.compare_exchange_weak(current, level)) {
      Changed(level);
      return;
    }
  }
}

void StopRequest::Listen(Listener listener) {
  std::scoped_lock guard(m_lock);
  m_listener = std::move(listener);
}

bool StopRequest::WaitFor(StopLevel level, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock guard(m_lock);
  return m_changed.wait_until(guard, deadline, [&] { return m_level.load() >= level; });
}

void StopRequest::Changed(StopLevel level) {
  Listener listener;
  {
    std::scoped_lock guard(m_lock);
    listener = m_listener;
    m_changed.notify_all();
  }
  if (listener) listener(level);
}

}  // namespace quillon
