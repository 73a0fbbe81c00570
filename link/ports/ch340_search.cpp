#include "link/ports/ch340_search.h"

#include <cstring>

#include "link/serial/port_table.h"

namespace quillon {
namespace {

bool IsCh340(const std::string& friendlyName) {
  return friendlyName.compare(0, std::strlen(kCh340NamePrefix), kCh340NamePrefix) == 0;
}

}  // namespace

int SearchCh340Port(SerialPortList& ports, PortSearchReport* report, std::FILE* namesOut) {
  PortSearchReport search;
  std::string foundPath;
  for (const SerialPortEntry& port : ports.Ports()) {
    if (namesOut != nullptr) std::fprintf(namesOut, "%s\n", port.friendlyName.c_str());
    const std::string portName = PortNameInFriendlyName(port.friendlyName);
    if (portName.empty()) continue;
    // Only a CH340's port (or the one the operator named) is opened: opening any other may block for
    // seconds (a Bluetooth port) or toggle the lines of someone else's device.
    if (!IsCh340(port.friendlyName) && !port.namedByOperator) continue;
    // The presence test: a port another program (or our own port) holds is passed over.
    const PortProbe probe = ProbePort(port.systemLocation);
    if (probe.availability != PortAvailability::kFree) {
      search.refusals.push_back({portName, probe});
      continue;
    }
    // The adapter listed last wins.
    search.portName = portName;
    foundPath = port.systemLocation;
  }
  int portNumber = 0;
  if (!foundPath.empty()) portNumber = AssignPortNumber(search.portName, foundPath);
  if (portNumber == 0) search.portName.clear();
  if (report != nullptr) *report = std::move(search);
  return portNumber;
}

}  // namespace quillon
