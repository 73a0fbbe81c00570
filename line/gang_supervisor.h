// A gang: one slot per port, each a station in a process of its own (SlotProcess) that links, writes,
// verifies and, on a production line, goes on unit after unit by itself. The supervisor starts the
// slots, passes on what it is asked (end after the units in hand, stop now), keeps the log as its only
// writer, and sees that every unit that starts has exactly one record: a slot that dies with a unit in
// hand has it recorded as failed, with the pages it had reported and what ended it. What happens is told
// to an observer: the console draws a line per slot, the window a tile.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "line/job_events.h"
#include "line/json_text.h"
#include "line/slot_process.h"
#include "line/stop_request.h"
#include "line/unit_log.h"
#include "package/package_pages.h"

namespace quillon {

struct GangSettings {
  std::string packageName;         // as the operator named it, for the records
  std::string stationName;         // a production line's name for its station: in every record
  std::vector<std::string> ports;  // a slot each, numbered from 1
  std::string program;             // the slots' station (quillon-cli); empty: this program
  // The slot program's arguments for a slot and its port (without the program's name).
  std::function<std::vector<std::string>(int slot, const std::string& port)> slotArguments;
  // The package the slots write, read once: a dead slot's record is a digest of its first pages.
  std::shared_ptr<const PackagePages> package;
  UnitLog* log = nullptr;
  // How long slots told to stop now have before they are ended.
  std::chrono::milliseconds stopNowGrace{5000};
};

// What each slot has done.
struct SlotTally {
  int passed = 0;
  int failed = 0;  // every unit that did not complete
  SlotEnding ending;
  bool started = false;  // its process started
};

struct GangSummary {
  std::vector<SlotTally> slots;
  bool recordLost = false;  // a record could not be kept in the log (it was given to the observer)
  bool stoppedNow = false;  // the slots were told to stop now
};

class GangObserver {
 public:
  virtual ~GangObserver() = default;
  // Every event of a slot, its slot number set; the supervisor's own records of dead slots too, as
  // "ended", and each slot's end as "exited".
  virtual void SlotEvent(int slot, const JsonObject& event) = 0;
  // What a slot's station said that is no event: its status line, its boxes.
  virtual void SlotSaid(int slot, const std::string& line) = 0;
  // A slot's process could not be started.
  virtual void SlotNotStarted(int slot, const Problem& problem) = 0;
  // The supervisor passes a stop request on to the slots.
  virtual void Stopping(StopLevel level) = 0;
  // A record the log did not take, so that it is not lost.
  virtual void RecordNotKept(const UnitRecord& record, const Problem& problem) = 0;
  // Now and then while nothing happens, and after each event: a display may redraw.
  virtual void Idle() = 0;
  // The label scanned for a slot's unit, which goes into its record; none by default.
  virtual std::string Barcode(int /*slot*/, int /*unit*/) { return {}; }
};

class GangSupervisor {
 public:
  GangSupervisor(GangSettings settings, GangObserver& observer);
  ~GangSupervisor();
  GangSupervisor(const GangSupervisor&) = delete;
  GangSupervisor& operator=(const GangSupervisor&) = delete;

  // Runs until every slot has ended: by itself, or as `stop` asks (a record that could not be kept asks
  // them to end after the unit in hand too).
  GangSummary Run(const StopRequest& stop);

 private:
  class Slots;
  GangSettings m_settings;
  GangObserver& m_observer;
  std::unique_ptr<Slots> m_slots;
};

}  // namespace quillon
