// quillon-cli --json: what a station does, as one JSON object a line on standard output for a
// line-control system, flushed as it happens. Every object has "schema" (kJobEventSchema, raised only
// when a field changes meaning or goes), "event" and "slot":
//   linked     a device is linked: "link" ("ttyUSB0 460800", "USB")
//   started    a unit's job has started: "unit" (from 1), "pages" (the package's, 0 when not known)
//   progress   at most every tenth of the job: "unit", "done", "pages", "seconds" (since its first page)
//   ended      the unit's job has ended: "unit" and the unit log's fields ("result" is "complete",
//              "failed" or "refused")
//   idle       the slot waits for the device to be taken away and the next linked: "unit" (the last)
//   removed    the device was taken away: "unit" (the last)
// A gang's supervisor passes its slots' objects on with the slot's number.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "line/json_text.h"
#include "line/unit_log.h"

namespace quillon {

inline constexpr int kJobEventSchema = 1;

// An event's object with its schema, name and slot, for the fields that follow.
JsonObject EventObject(const char* event, int slot);
// The "ended" event of a unit and its record (the record's own slot is left out: the event has one).
JsonObject EndedEvent(int slot, int unit, UnitRecord record);

class JobEvents {
 public:
  explicit JobEvents(std::FILE* out, int slot = 1) : m_out(out), m_slot(slot) {}

  void Linked(const std::string& link);
  void Started(int unit, int pages);
  // Every page done, `seconds` after the first; written when the job has gone another tenth.
  void Progress(int done, double seconds);
  void Ended(int unit, const UnitRecord& record);
  void Idle(int unit);
  void Removed(int unit);

 private:
  void Write(const JsonObject& object);

  std::mutex m_lock;
  std::FILE* m_out;
  const int m_slot;
  int m_unit = 0;
  int m_pages = 0;
  int m_lastTenth = -1;
};

}  // namespace quillon
