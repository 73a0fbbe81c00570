// The port named on the command line on Windows: COMn in any case, or \\.\COMn.
#include <cctype>

#include "link/given_port_list.h"

namespace quillon {
namespace {

constexpr char kDevicePrefix[] = "\\\\.\\";

std::string PortName(const std::string& given) {
  const std::size_t start = given.rfind('\\') == std::string::npos ? 0 : given.rfind('\\') + 1;
  std::string name;
  for (std::size_t i = start; i < given.size(); ++i) {
    name += static_cast<char>(std::toupper(static_cast<unsigned char>(given[i])));
  }
  return name;
}

}  // namespace

GivenPortList::GivenPortList(std::string path) : m_path(kDevicePrefix), m_name(PortName(path)) {
  m_path += m_name;
}

std::vector<SerialPortEntry> GivenPortList::Ports() {
  // Always listed: whether the port is there is the presence test's to find out, and it tells the
  // operator why a port that is not there cannot be used (Windows keeps no list of COM ports to look in
  // that Wine's ports are sure to be on).
  return {{m_name, m_path, "USB-SERIAL CH340 (" + m_name + ")"}};
}

}  // namespace quillon
