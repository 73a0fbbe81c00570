// The serial port's Linux part: the tty, the eventfds of the monitor's requests and the termios
// settings. Seen only by serial_port_unix.cpp and serial_monitor_unix.cpp.
#pragma once

#include <termios.h>

#include <optional>

#include "link/os/event_fd.h"
#include "link/os/file_descriptor.h"
#include "link/serial/serial_port.h"

namespace quillon {

struct CSerialPort::Platform {
  EventFd m_writeRequest;
  FileDescriptor m_portHandle;
  EventFd m_stopRequest;
  termios m_deviceControl{};
  // The tty's settings as the port found them, put back as it is closed.
  std::optional<termios> m_settingsAsFound;
};

}  // namespace quillon
