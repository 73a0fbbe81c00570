#include "link/serial/win_com_port.h"

namespace quillon {

ComPortOpening OpenComPortExclusive(const std::string& path) {
  ComPortOpening opening;
  opening.notSerialPort = LookAtPortPath(path);
  if (opening.notSerialPort) return opening;
  WinHandle port(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr));
  if (!port) {
    opening.error = ::GetLastError();
    return opening;
  }
  if (::GetFileType(port.get()) != FILE_TYPE_CHAR) {
    opening.notSerialPort = NotSerialPort{path, NotSerialPortKind::kOtherDevice, false};
    return opening;
  }
  opening.port = std::move(port);
  return opening;
}

}  // namespace quillon
