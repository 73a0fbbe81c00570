// What a gang shows of its slots: a line per slot and a total line, redrawn in place on a terminal.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace quillon::console {

struct SlotFigures {
  int slot = 0;
  std::string port;
  int unit = 0;               // the unit in hand or the last; 0 before the first
  int done = 0;               // its pages done so far
  int pages = 0;              // of all its package writes; 0 when not known
  double elapsedSeconds = 0;  // since its job started
  std::string state;          // "waiting", "writing", "take it away", "ended", or what the station said
  std::string lastResult;     // the last unit's: "complete", "failed", "refused"; empty before the first
};

// "slot 2  /dev/ttyUSB1  unit 3   812/1557 pages  38.2 pages/s   19 s left  writing  last: complete"
std::string SlotLine(const SlotFigures& slot);
// "units: 7 passed, 1 failed  212 units/h"
std::string TotalLine(int passed, int failed, double elapsedSeconds);

// Draws the lines over those it drew last: the cursor goes back up and every line is written anew.
class InPlaceLines {
 public:
  explicit InPlaceLines(std::FILE* out) : m_out(out) {}
  void Draw(const std::vector<std::string>& lines);

 private:
  std::FILE* m_out;
  std::size_t m_drawn = 0;
};

}  // namespace quillon::console
