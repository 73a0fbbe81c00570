// One serial port named by the operator (quillon --port PATH, or COMn on Windows), taken as a CH340 port
// whatever its make: an external simulator's tty, or an adapter the enumeration does not know. Listed
// while it exists, as an adapter is listed while it is plugged in; what is no serial port (a file given
// by mistake) is listed under a name that says so, and the presence test says what it is.
#pragma once

#include <optional>
#include <string>

#include "link/ports/serial_port_list.h"

namespace quillon {

class GivenPortList final : public SerialPortList {
 public:
  explicit GivenPortList(std::string path);
  std::vector<SerialPortEntry> Ports() override;
  std::optional<std::string> NamedPort() const override { return m_given; }

 private:
  // Named as a CH340's driver names it, or as no serial port.
  SerialPortEntry Entry(bool mayBeSerialPort) const;

  std::string m_given;  // as the operator wrote it
  std::string m_path;
  std::string m_name;
};

}  // namespace quillon
