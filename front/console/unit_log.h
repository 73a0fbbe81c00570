// The production log: one JSON line per unit written, appended and flushed as the unit ends, so that a
// crash loses no finished unit.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "front/console/json_text.h"

namespace quillon::console {

struct UnitRecord {
  int slot = 0;         // a gang's slot, from 1; 0 for a station on its own (not written)
  std::string time;     // when the unit's job started, UTC, ISO 8601
  std::string link;     // "USB", or the port and its speed: "ttyUSB0 460800"
  std::string package;  // as named on the command line
  int pages = 0;        // written and verified
  std::string result;   // "complete", "failed" or "refused"
  std::string message;  // what the station said at the end
  double seconds = 0;
  std::string sha256;  // of the page images verified, in the order written
};

// The record as the log's line (with its line end), and as a JSON object; and back.
std::string JsonLine(const UnitRecord& unit);
JsonObject UnitObject(const UnitRecord& unit);
UnitRecord UnitOfObject(const JsonObject& object);

class UnitLog {
 public:
  // Opens the file for appending, creating it; nullptr with the reason in `error`.
  static std::unique_ptr<UnitLog> Open(const std::string& path, std::string& error);
  ~UnitLog();
  UnitLog(const UnitLog&) = delete;
  UnitLog& operator=(const UnitLog&) = delete;

  // False when the line could not be written whole.
  bool Append(const UnitRecord& unit);

 private:
  explicit UnitLog(std::FILE* file) : m_file(file) {}
  std::FILE* m_file;
};

// The time now, UTC, as 2026-12-08T20:30:00Z.
std::string UtcTimeNow();

}  // namespace quillon::console
