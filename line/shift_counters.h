// A shift's counters, rebuilt from the unit log: the log is the truth, so they survive a restart or a
// crash of the window. A shift starts at its "new shift" line ({"shift":"new","time":…}), or at the
// log's beginning; every unit record after it counts.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "line/json_text.h"
#include "line/unit_log.h"

namespace quillon {

struct ShiftCounters {
  int passed = 0;
  int failed = 0;     // every unit that did not complete
  std::string since;  // when the shift began (UTC, ISO 8601): its line's time, else its first unit's

  int Total() const { return passed + failed; }
  // Passed of all, in per cent; 0 before the first unit.
  double YieldPercent() const;
  // Units an hour from the shift's start to `now`; 0 before the first unit.
  double UnitsPerHour(std::chrono::system_clock::time_point now) const;
  // Counts a record as it is kept.
  void Count(const UnitRecord& record);
};

// The counters of the log's last shift; a log that is not there yet is an empty shift. Lines that are
// no record (a line cut short by a full disk) are passed over.
ShiftCounters CountShift(const std::string& logPath);

// The line that starts a new shift at `time`, for `station` (left out when empty).
JsonObject NewShiftObject(const std::string& time, const std::string& station);

// "2026-12-08T20:30:00Z" as a time; nothing for anything else.
std::optional<std::chrono::system_clock::time_point> ParseUtcTime(const std::string& text);

}  // namespace quillon
