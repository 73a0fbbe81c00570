#include "front/console/supervisor_link.h"

#include <thread>

#include "front/console/console_platform.h"

namespace quillon::console {

SupervisorLink::SupervisorLink(StopRequest& stop) : m_stop(stop) {
  // Reads for the life of the process: the pipe ends only when the supervisor goes.
  std::thread([this] { Read(); }).detach();
}

bool SupervisorLink::Gone() const {
  std::scoped_lock guard(m_lock);
  return m_gone;
}

bool SupervisorLink::WaitUntilKept(int records) {
  std::unique_lock guard(m_lock);
  m_changed.wait(guard, [&] { return m_kept >= records || m_gone; });
  return m_kept >= records;
}

void SupervisorLink::Read() {
  // A stop request is raised on a thread of its own: stopping now records the unit in hand, which waits
  // for the supervisor's word that it is kept, read here.
  const auto raise = [this](StopLevel level) {
    std::thread([this, level] { m_stop.RaiseTo(level); }).detach();
  };
  for (int byte = ReadStandardInputByte(); byte >= 0; byte = ReadStandardInputByte()) {
    if (byte == kControlEndAfterUnit) raise(StopLevel::kAfterUnit);
    if (byte == kControlStopNow) raise(StopLevel::kNow);
    if (byte == kControlRecordKept) {
      std::scoped_lock guard(m_lock);
      ++m_kept;
      m_changed.notify_all();
    }
  }
  {
    std::scoped_lock guard(m_lock);
    m_gone = true;
    m_changed.notify_all();
  }
  m_stop.RaiseTo(StopLevel::kAfterUnit);
}

}  // namespace quillon::console
