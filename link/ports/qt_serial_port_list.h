// The system's serial ports as Qt's port enumeration sees them.
#pragma once

#include "link/ports/serial_port_list.h"

namespace quillon {

class QtSerialPortList : public SerialPortList {
 public:
  std::vector<SerialPortEntry> Ports() override;
};

}  // namespace quillon
