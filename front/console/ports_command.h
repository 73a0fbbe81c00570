// quillon-cli ports: what the station would search for a device: the USB bridge's devices, then the
// serial ports with their friendly names and whether each can be opened, one a line.
#pragma once

#include <cstdio>

#include "link/ports/serial_port_list.h"
#include "link/usb/usb_bridge.h"

namespace quillon::console {

// Returns the exit code (0).
int ListPorts(SerialPortList& ports, UsbBridge& usb, std::FILE* out);

}  // namespace quillon::console
