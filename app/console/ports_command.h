// quillon-cli ports: the serial ports with their friendly names, one a line.
#pragma once

#include <cstdio>

#include "link/serial_port_list.h"

namespace quillon::console {

// Returns the exit code (0).
int ListPorts(SerialPortList& ports, std::FILE* out);

}  // namespace quillon::console
