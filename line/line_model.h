// The production view's model, shared by the Qt and the Win32 windows: a tile per slot, a header with
// the package and the shift's counters, the lock, and the label scanned for the next unit. It watches
// the gang (GangObserver): the supervisor's thread tells it what the slots do, and the window's thread
// reads it to draw. The operator plugs, pulls and scans; a good unit needs no click, and a failure
// shows on its tile, never in a box, until the unit is pulled.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "line/gang_supervisor.h"
#include "line/line_profile.h"
#include "line/shift_counters.h"
#include "line/unit_log.h"

namespace quillon {

enum class TileState {
  kWaiting,  // for a unit (grey)
  kWriting,  // blue, with a bar, pages done of all, time left
  kPassed,   // green
  kFailed,   // red, with the reason
  kStopped,  // the slot's station has ended
};

struct Tile {
  int slot = 0;
  std::string name;  // its label, else its port
  TileState state = TileState::kWaiting;
  int done = 0;             // pages verified of the unit in hand
  int pages = 0;            // of all the unit's
  int secondsLeft = -1;     // -1: not known yet
  std::string reason;       // a failed unit's, in the operator's words
  std::string barcode;      // the unit's label, scanned
  bool removeUnit = false;  // a result is shown: the unit waits to be pulled
  int failuresInARow = 0;
  bool checkSocket = false;  // failed three units in a row: its fixture or cable is suspect
  std::string status;        // what the slot's station last said of its link
};

struct LineHeader {
  std::string package;  // its name
  int pages = 0;
  std::string digest;  // the first 8 hex digits of the SHA-256 of its pages
  std::string station;
  ShiftCounters counters;
  double unitsPerHour = 0;
  bool pinSet = false;
  bool locked = false;
  std::string pendingBarcode;  // scanned, waiting for the next unit to start
  std::string notice;          // something the operator should know (a record not kept)
};

// What the model needs of a window. Called from any thread.
class LineView {
 public:
  virtual ~LineView() = default;
  // The tiles or the header changed: the window redraws on its own thread.
  virtual void LineChanged() = 0;
  // A unit has its result: the finish sound, or the error sound.
  virtual void PlayResultSound(bool passed) = 0;
};

// What the model shows of the package.
struct LinePackage {
  std::string name;
  int pages = 0;
  std::string digest;  // SHA-256 of its pages, hex
};

class LineModel : public GangObserver {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // `counters` as the log holds them; `log` takes the new shift's line; `events`, when given, takes
  // every slot event as --json does on the console.
  LineModel(const LineProfile& profile, const LinePackage& package, ShiftCounters counters, UnitLog* log,
            LineView& view, std::FILE* events = nullptr, Clock now = std::chrono::system_clock::now);

  // The gang's side, on the supervisor's thread.
  void SlotEvent(int slot, const JsonObject& event) override;
  void SlotSaid(int slot, const std::string& line) override;
  void SlotNotStarted(int slot, const Problem& problem) override;
  void Stopping(StopLevel level) override;
  void RecordNotKept(const UnitRecord& record, const Problem& problem) override;
  void Idle() override {}
  std::string Barcode(int slot, int unit) override;

  // The window's side.
  std::vector<Tile> Tiles() const;
  LineHeader Header() const;
  // A scanner typed a code and Enter: it goes to the next unit that starts; a second scan before then
  // replaces it.
  void Scanned(const std::string& code);

  // The lock: settings, a new shift and leaving the view need the supervisor's PIN. With no PIN set
  // the view is open (and says so).
  bool Locked() const;
  // False, and still locked, for a wrong PIN.
  bool Unlock(const std::string& pin);
  void Lock();
  // A new shift: its line in the log, the counters from zero. Refused while locked.
  Result<void> NewShift();
  // The profile as it stands, for the settings the window shows; a change is the controller's.
  LineProfile Profile() const;

 private:
  Tile& TileOf(int slot);
  void Ended(Tile& tile, const UnitRecord& record);
  std::string ReasonOf(const UnitRecord& record) const;
  Problem LockedProblem() const;

  mutable std::mutex m_lock;
  LineProfile m_profile;
  LinePackage m_package;
  ShiftCounters m_counters;
  UnitLog* m_log;
  LineView& m_view;
  std::FILE* m_events;
  Clock m_now;
  std::vector<Tile> m_tiles;
  bool m_locked;
  std::string m_pendingBarcode;
  std::string m_notice;
};

}  // namespace quillon
