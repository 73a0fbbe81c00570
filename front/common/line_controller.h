// A production line opened in a window (the Qt or the Win32 one): its profile, its package read once,
// its log, the model the window draws, and the gang of slot stations (quillon-cli, one process a slot)
// supervised on a thread of its own, with the same records and events as the console's gang.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "line/gang_supervisor.h"
#include "line/line_model.h"
#include "line/line_profile.h"
#include "line/stop_request.h"
#include "line/unit_log.h"
#include "texts/problem.h"

namespace quillon {

struct LineOptions {
  std::string profilePath = kLineProfileFile;  // where settings made in the view are saved
  std::FILE* events = nullptr;                 // --json: every slot event, one JSON object a line
  std::string slotProgram;                     // the slots' station; empty: quillon-cli beside this program
};

class LineController {
 public:
  // Reads the profile's package and opens its log before any slot starts. Problems: the package
  // refused or unknown (kInputRefused), the log (kOutputFailed), no slot or no quillon-cli (kUsage).
  static Result<std::unique_ptr<LineController>> Open(const LineProfile& profile, const LineOptions& options,
                                                      LineView& view);
  // Ends the line after the units in hand, and waits for it.
  ~LineController();
  LineController(const LineController&) = delete;
  LineController& operator=(const LineController&) = delete;

  LineModel& Model() { return *m_model; }

  // Ends the line after the units in hand (leaving the view, SIGTERM, the system shutting down); a
  // second call stops it now, the units in hand recorded as interrupted. Returns at once.
  void RequestEnd();
  // True once every slot has ended.
  bool Ended() const;
  // Waits until every slot has ended.
  void WaitForEnd();

 private:
  LineController() = default;

  LineProfile m_profile;
  LineView* m_view = nullptr;
  std::shared_ptr<const PackagePages> m_package;
  std::unique_ptr<UnitLog> m_log;
  std::unique_ptr<LineModel> m_model;
  StopRequest m_stop;
  std::unique_ptr<GangSupervisor> m_supervisor;
  std::thread m_thread;
  std::atomic<bool> m_ended{false};
};

// What the line's slots are started with, for a slot and its port.
std::vector<std::string> LineSlotArguments(const LineProfile& profile, int slot, const std::string& port);

}  // namespace quillon
