#include "link/ports/given_port_list.h"

namespace quillon {

SerialPortEntry GivenPortList::Entry(bool mayBeSerialPort) const {
  const std::string description = mayBeSerialPort ? "USB-SERIAL CH340" : "Not a serial port";
  return {m_name, m_path, description + " (" + m_name + ")", true};
}

}  // namespace quillon
