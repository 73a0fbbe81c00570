// A port the station would open, as its presence test finds it: free, or why not and what to do.
#pragma once

#include <string>

#include "link/diagnosis/check_result.h"
#include "link/ports/port_probe.h"

namespace quillon {

CheckResult CheckPortOpens(const std::string& portName, const PortProbe& probe);

}  // namespace quillon
