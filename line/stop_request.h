// What whoever runs the station has asked of a run: nothing yet, to end after the unit in hand, or to
// stop now. Ctrl-C, SIGTERM and SIGHUP (on Windows Ctrl-C, Ctrl-Break, closing the console, log-off and
// shut-down) each raise it by one step; a gang's slot takes its supervisor's steps from the control pipe,
// which can only raise it to the step given, so that a signal that reached both counts once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace quillon {

enum class StopLevel { kNone, kAfterUnit, kNow };

class StopRequest {
 public:
  using Listener = std::function<void(StopLevel)>;

  StopLevel Level() const { return m_level.load(); }
  bool Asked() const { return Level() != StopLevel::kNone; }

  // One step further (a signal); at most to kNow.
  void Raise();
  // To `level`, when it is not there yet (the supervisor's step).
  void RaiseTo(StopLevel level);
  // Called after every change, on the thread that made it (a signal's watcher, the control pipe's
  // reader): the run says what it will do, and stops now at kNow. Set before signals are watched.
  void Listen(Listener listener);

  // Waits until the request is at least `level`; false when the deadline passes first.
  bool WaitFor(StopLevel level, std::chrono::steady_clock::time_point deadline);

 private:
  void Changed(StopLevel level);

  std::atomic<StopLevel> m_level{StopLevel::kNone};
  std::mutex m_lock;
  std::condition_variable m_changed;
  Listener m_listener;
};

}  // namespace quillon
