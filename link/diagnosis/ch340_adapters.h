// The CH340 adapters on the USB bus, as sysfs shows them: each device whose USB id is a CH340's, and the
// tty its driver made for it, if any.
#pragma once

#include <string>
#include <vector>

#include "link/diagnosis/system_root.h"
#include "link/ports/serial_port_list.h"

namespace quillon {

struct Ch340Adapter {
  std::string busPort;  // where it is plugged in: "1-1.2"
  UsbId id;
  std::string tty;           // "ttyUSB0"; empty when no driver made one
  std::string deviceNumber;  // the tty's "188:0", as udev's database names it
  std::string Device() const { return "/dev/" + tty; }
};

std::vector<Ch340Adapter> FindCh340Adapters(const SystemRoot& root);

}  // namespace quillon
