// A gang's slot's side of the control pipe its supervisor holds open (the slot's standard input): the
// supervisor's stop steps ('1' end after the unit in hand, '2' stop now), its word that a record is kept
// in the log ('k'), and, when the pipe ends, that the supervisor has gone (killed, crashed): the slot then
// ends after its unit in hand and records it itself. Not a signal: nothing can miss it.
#pragma once

#include <condition_variable>
#include <mutex>

#include "line/stop_request.h"
#include "line/supervisor_control.h"

namespace quillon::console {

class SupervisorLink {
 public:
  // Reads standard input from now on, on a thread of its own, and raises `stop` as the supervisor asks.
  explicit SupervisorLink(StopRequest& stop);

  bool Gone() const;
  // Waits until the supervisor has kept `records` records in all, or has gone; true when it kept them.
  bool WaitUntilKept(int records);

 private:
  void Read();

  StopRequest& m_stop;
  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  int m_kept = 0;
  bool m_gone = false;
};

}  // namespace quillon::console
