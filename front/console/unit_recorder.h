// Every unit that starts gets exactly one record, however it ends. The run says when a unit starts and
// how it ended; a stop now (a second Ctrl-C, the console closing) records the unit in hand as
// interrupted from its own thread, and whichever comes first is the record. A record goes to --json's
// events and to the log; in a gang's slot to the supervisor, which keeps the log, or, once it has gone,
// straight to the log. A record that cannot be kept is written on standard error, so it is not lost.
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>

#include "front/console/supervisor_link.h"
#include "line/job_events.h"
#include "line/unit_log.h"
#include "texts/problem.h"

namespace quillon::console {

class UnitRecorder {
 public:
  struct Outputs {
    UnitLog* log = nullptr;
    JobEvents* events = nullptr;
    SupervisorLink* supervisor = nullptr;  // a gang's slot: the supervisor keeps the log
    int slot = 0;                          // a gang's slot: its number, for the records it keeps itself
    std::FILE* errorOut = stderr;
  };
  explicit UnitRecorder(Outputs outputs) : m_outputs(outputs) {}

  // A unit has started, of `pages` pages; `soFar` makes its record as it stands, for a stop now.
  void Started(int unit, int pages, std::function<UnitRecord()> soFar);
  // The unit in hand ended so. A problem when its record could not be kept (it is then on standard
  // error), and kInterrupted when a stop now took the unit and recorded it first.
  Result<void> Ended(const UnitRecord& record);
  // Stop now: the unit in hand, if any, is taken from the run, its job halted by `haltJob` (which
  // returns once it sends nothing more), and recorded as interrupted with what it had verified. False
  // when there was no unit in hand.
  bool Interrupt(const std::function<void()>& haltJob = {});

 private:
  Result<void> Keep(int unit, UnitRecord record);

  const Outputs m_outputs;
  std::mutex m_lock;  // one record at a time, and the unit in hand's once
  std::optional<int> m_unitInHand;
  bool m_stoppedNow = false;  // a stop now took the unit in hand and recorded it
  std::function<UnitRecord()> m_soFar;
  int m_recordsSent = 0;  // to the supervisor
};

}  // namespace quillon::console
