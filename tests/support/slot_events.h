// A production line's --json events as a test reads them from its window or gang.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>

#include "line/json_text.h"
#include "tests/support/child_process.h"

namespace quillon::testing {

// Reads the process's events until `count` of them named `name` have come, or nothing comes for
// `patience`; the last of each slot's, by its slot.
inline std::map<int, JsonObject> AwaitSlotEvents(ChildProcess& process, const std::string& name, int count,
                                                 std::chrono::milliseconds patience) {
  std::map<int, JsonObject> seen;
  while (static_cast<int>(seen.size()) < count) {
    const std::string line = process.Read(false, patience);
    if (line.empty()) break;
    const std::optional<JsonObject> event = ParseJsonObject(line);
    if (event && event->Value("event") == name) seen[static_cast<int>(event->Number("slot"))] = *event;
  }
  return seen;
}

}  // namespace quillon::testing
