// Opening a COM port as the station does everywhere (the serial port and its presence test): for reading
// and writing, overlapped, and without sharing, so that a port another program holds does not open.
#pragma once

#include <string>

#include "link/win_handle.h"

namespace quillon {

// Invalid when the port does not open; GetLastError says why.
WinHandle OpenComPortExclusive(const std::string& path);

}  // namespace quillon
