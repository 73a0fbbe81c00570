// The console's picture of the progress bar: a bar line redrawn on a terminal, one line per 5 %
// anywhere else.
#pragma once

#include <string>

namespace quillon::console {

// "[#####               ]  120/1046 pages   11 %   40.1 pages/s   0:23 left"
std::string FormatProgressLine(int steps, int total, double elapsedSeconds);

// Which 5 % mark the steps have reached (0..20).
int FivePercentMark(int steps, int total);

}  // namespace quillon::console
