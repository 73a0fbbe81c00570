// The presence test on Windows: the COM port opened as the serial port opens it, without sharing.
#include "link/ports/port_probe.h"

#include <utility>

#include "link/os/win_error.h"
#include "link/serial/win_com_port.h"

namespace quillon {

PortAvailability AvailabilityAfterOpenError(int error) {
  switch (static_cast<DWORD>(error)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return PortAvailability::kMissing;
    // A COM port that another program holds answers "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
    // Wine's answer when a Linux program holds the tty behind the port exclusively (as terminal programs
    // and the Linux station do).
    case ERROR_LOCK_VIOLATION:
      return PortAvailability::kBusy;
    default:
      return PortAvailability::kUnusable;
  }
}

PortProbe ProbePort(const std::string& path) {
  PortProbe probe;
  if (path.empty()) return probe;
  ComPortOpening opening = OpenComPortExclusive(path);
  if (opening) {
    probe.availability = PortAvailability::kFree;
    return probe;
  }
  if (opening.notSerialPort) {
    probe.availability = PortAvailability::kNotSerialPort;
    probe.notSerialPort = std::move(opening.notSerialPort);
    return probe;
  }
  const DWORD error = opening.error;
  probe.availability = AvailabilityAfterOpenError(static_cast<int>(error));
  if (probe.availability == PortAvailability::kUnusable) probe.reason = SystemErrorText(error);
  return probe;
}

std::string FindPortHolder(const std::string& /*path*/) {
  // Windows does not say which program holds a COM port.
  return {};
}

}  // namespace quillon
