#include "link/os/win_event.h"

namespace quillon {

bool WinEvent::Create() {
  if (!m_event) m_event.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  return m_event.valid();
}

void WinEvent::Signal() {
  if (m_event) ::SetEvent(m_event.get());
}

void WinEvent::Reset() {
  if (m_event) ::ResetEvent(m_event.get());
}

bool WinEvent::IsSignalled() const {
  return m_event && ::WaitForSingleObject(m_event.get(), 0) == WAIT_OBJECT_0;
}

}  // namespace quillon
