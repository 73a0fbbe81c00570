// Opening a COM port as the station does everywhere (the serial port and its presence test): for reading
// and writing, overlapped, and without sharing, so that a port another program holds does not open.
#pragma once

#include <optional>
#include <string>

#include "link/os/win_handle.h"
#include "link/serial/port_path_check.h"

namespace quillon {

// An opened COM port, or why none was opened.
struct ComPortOpening {
  WinHandle port;
  DWORD error = ERROR_SUCCESS;                 // the failed open's GetLastError
  std::optional<NotSerialPort> notSerialPort;  // the name is no COM port's, or what opened is none
  explicit operator bool() const { return static_cast<bool>(port); }
};

// A name other than COMn is refused before anything is opened; what opens is kept only when it is a
// character device (a COM port's dosdevices link under Wine may lead anywhere).
ComPortOpening OpenComPortExclusive(const std::string& path);

}  // namespace quillon
