#include "link/port_present.h"
#include "link/port_probe.h"

namespace quillon {

bool PortPresent(const std::string& port) {
  // A COM port has no file to look at: only opening it tells. One the station holds is busy, and there.
  return ProbePort(port).availability != PortAvailability::kMissing;
}

}  // namespace quillon
