#include "link/win_com_port.h"

namespace quillon {

WinHandle OpenComPortExclusive(const std::string& path) {
  return WinHandle(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr));
}

}  // namespace quillon
