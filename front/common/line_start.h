// The line a window opens with `--line`: the working folder's line.json, with what the command line
// gives (a package, the slots' ports, the log) over it. A line set up for the first time on the command
// line is kept in line.json, so that `quillon --line` alone opens it again.
#pragma once

#include "front/common/window_options.h"
#include "line/line_profile.h"
#include "texts/problem.h"

namespace quillon {

// Problems: line.json that is no profile (kInputRefused), or a command line that would change the
// settings of a line its supervisor has locked with a PIN (kUsage).
Result<LineProfile> LineProfileFor(const WindowOptions& options,
                                   const std::string& profilePath = kLineProfileFile);

}  // namespace quillon
