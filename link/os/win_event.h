// A manual-reset Win32 event without a name: it stays signalled until Reset. The monitor thread waits on
// handle(); other threads Signal it.
#pragma once

#include "link/os/win_handle.h"

namespace quillon {

class WinEvent {
 public:
  // Holds no event until Create: the serial port makes its events on its first Configure.
  WinEvent() = default;

  // Makes the event, not signalled. True when the event exists (also when it existed already).
  bool Create();
  bool IsOpen() const { return m_event.valid(); }
  HANDLE handle() const { return m_event.get(); }

  void Signal();
  void Reset();
  // Answers at once, without waiting.
  bool IsSignalled() const;

 private:
  WinHandle m_event;
};

}  // namespace quillon
