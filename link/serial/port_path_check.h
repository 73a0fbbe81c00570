// The station writes only to serial ports. A path given as a port (quillon --port flash.txt, a slip of
// the fingers) is looked at before it is opened, and the opened descriptor again before any byte goes
// out: a file, a directory, a pipe, a disk or a device other than a terminal is never written to.
#pragma once

#include <optional>
#include <string>

namespace quillon {

// What a path that is no serial port is instead.
enum class NotSerialPortKind {
  kRegularFile,
  kDirectory,
  kFifo,
  kSocket,
  kBlockDevice,
  kOtherDevice,     // a character device that is no terminal: /dev/null, /dev/watchdog
  kConsole,         // the system console or a virtual console
  kOwnTerminal,     // the terminal this program runs on: /dev/tty, or that of its input or output
  kNotComPortName,  // on Windows, a name other than COMn
};

struct NotSerialPort {
  std::string path;  // as given
  NotSerialPortKind kind = NotSerialPortKind::kOtherDevice;
  bool throughSymlink = false;  // the path is a symbolic link to what it is
};

// What is at `path`, looked at without opening it: nothing when it may be a serial port (a terminal, or
// nothing there yet, which the presence test reports), else what it is.
std::optional<NotSerialPort> LookAtPortPath(const std::string& path);

}  // namespace quillon
