// One serial port named by the operator (quillon --port PATH, or COMn on Windows), taken as a CH340 port
// whatever its make: an external simulator's tty, or an adapter the enumeration does not know. Listed
// while it exists, as an adapter is listed while it is plugged in.
#pragma once

#include <string>

#include "link/serial_port_list.h"

namespace quillon {

class GivenPortList final : public SerialPortList {
 public:
  explicit GivenPortList(std::string path);
  std::vector<SerialPortEntry> Ports() override;

 private:
  std::string m_path;
  std::string m_name;
};

}  // namespace quillon
