// What a port given on Windows is: COMn or \\.\COMn names a COM port; any other name (a file's, C:\x)
// is none.
#include "link/serial/com_port_name.h"
#include "link/serial/port_path_check.h"

namespace quillon {

std::optional<NotSerialPort> LookAtPortPath(const std::string& path) {
  if (ComPortName(path)) return std::nullopt;
  return NotSerialPort{path, NotSerialPortKind::kNotComPortName, false};
}

}  // namespace quillon
