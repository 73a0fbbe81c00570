// The CH340 adapter among the system's serial ports: the one whose friendly name says CH340 (or that the
// operator named) and that passes the presence test; the adapter listed last wins.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "link/ports/port_probe.h"
#include "link/ports/serial_port_list.h"

namespace quillon {

inline constexpr char kCh340NamePrefix[] = "USB-SERIAL CH340";

// A CH340 port that failed the presence test.
struct PortRefusal {
  std::string portName;
  PortProbe probe;
};

// What a port search met, for the words shown to the operator.
struct PortSearchReport {
  std::string portName;  // the port taken ("ttyUSB0", "COM5"); empty when none
  std::vector<PortRefusal> refusals;
};

// Writes every friendly name to namesOut (when given). Returns the port number the adapter found keeps
// for this process, or 0.
int SearchCh340Port(SerialPortList& ports, PortSearchReport* report, std::FILE* namesOut);

}  // namespace quillon
