// The presence test of a serial port: can the station have it to itself right now? When not, why not,
// in terms an operator can act on.
#pragma once

#include <optional>
#include <string>

#include "link/serial/port_path_check.h"

namespace quillon {

enum class PortAvailability {
  kFree,           // opened exclusively (and closed again)
  kMissing,        // no such device: unplugged, or never there
  kNoPermission,   // the device is there but this user may not open it
  kBusy,           // another program (or this one) holds it
  kNotSerialPort,  // a file, a directory, a device other than a terminal: never written to
  kUnusable,       // any other reason the open failed
};

struct PortProbe {
  PortAvailability availability = PortAvailability::kMissing;
  std::string holder;  // for a busy port: "minicom, pid 4242", when the holder can be found
  std::string reason;  // for an unusable port: the system's words
  std::optional<NotSerialPort> notSerialPort;  // for a path that is no serial port: what it is
};

// Opens the path exclusively and closes it again; what is no serial port is not written to.
PortProbe ProbePort(const std::string& path);

// What a failed open's errno says about the port.
PortAvailability AvailabilityAfterOpenError(int error);

// The process that has the tty open, as "name, pid n"; empty when none of the processes this user may
// look at has it.
std::string FindPortHolder(const std::string& path);

}  // namespace quillon
