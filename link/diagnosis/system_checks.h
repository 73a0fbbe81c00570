// The checks of this system's set-up for the station: Linux's or Windows', then the USB library. Each
// check owns what it looks at; run them in the order given.
#pragma once

#include <string>
#include <vector>

#include "link/diagnosis/check_result.h"

namespace quillon {

// On Linux the system's files are read under `root` (empty: "/"); Windows asks its own interfaces.
std::vector<SetupCheck> SystemSetupChecks(const std::string& root = {});

}  // namespace quillon
