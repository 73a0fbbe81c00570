// The port named on the command line on Windows: COMn in any case, or \\.\COMn.
#include <optional>
#include <utility>

#include "link/ports/given_port_list.h"
#include "link/serial/com_port_name.h"

namespace quillon {

GivenPortList::GivenPortList(std::string path) : m_given(path), m_path(path), m_name(std::move(path)) {
  if (const std::optional<std::string> name = ComPortName(m_name)) {
    m_name = *name;
    m_path = ComDevicePath(*name);
  }
}

std::vector<SerialPortEntry> GivenPortList::Ports() {
  // Always listed: whether the port is there is the presence test's to find out, and it tells the
  // operator why a port that is not there cannot be used (Windows keeps no list of COM ports to look in
  // that Wine's ports are sure to be on).
  return {Entry(ComPortName(m_path).has_value())};
}

}  // namespace quillon
