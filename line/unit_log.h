// The production log: one JSON line per unit that started, appended whole and on the disk as the unit
// ends (link/files/log_file.h), so that a crash loses no finished unit.
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "line/json_text.h"
#include "link/files/log_file.h"
#include "texts/problem.h"

namespace quillon {

struct UnitRecord {
  int slot = 0;         // a gang's slot, from 1; 0 for a station on its own (not written)
  std::string time;     // when the unit's job started, UTC, ISO 8601
  std::string link;     // "USB", or the port and its speed: "ttyUSB0 460800"
  std::string package;  // as named on the command line
  int pages = 0;        // written and verified
  std::string result;   // "complete", "failed", "refused" or "interrupted"
  std::string message;  // what the station said at the end
  double seconds = 0;
  std::string sha256;  // of the page images verified, in the order written
  // Only where they apply (not written when empty):
  std::string fault;    // why a failed unit failed: "link" (the device stopped answering), "verify"
  std::string at;       // the flash address of the page it failed at: "0x01A300"
  std::string station;  // the station's name, on a production line that has one
  std::string barcode;  // the label scanned for the unit
};

// The record as the log's line (with its line end), and as a JSON object; and back.
std::string JsonLine(const UnitRecord& unit);
JsonObject UnitObject(const UnitRecord& unit);
UnitRecord UnitOfObject(const JsonObject& object);

class UnitLog {
 public:
  // Opens the file for appending, creating it; it must be a regular file.
  static Result<std::unique_ptr<UnitLog>> Open(const std::string& path);

  // The record's line, whole and on the disk. With `unlessPresent`, not when the log's last lines hold
  // it already (a slot records its unit itself only when its supervisor has not).
  Result<void> Append(const UnitRecord& unit, bool unlessPresent = false);
  // A line that is no unit's record: a new shift's.
  Result<void> AppendObject(const JsonObject& object);

 private:
  explicit UnitLog(LogFile file) : m_file(std::move(file)) {}
  LogFile m_file;
};

// The time now, UTC, as 2026-12-08T20:30:00Z; and any time so.
std::string UtcTimeNow();
std::string UtcTimeText(std::chrono::system_clock::time_point time);

}  // namespace quillon
