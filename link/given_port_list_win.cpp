// The port named on the command line on Windows: COMn in any case, or \\.\COMn.
#include <algorithm>
#include <cctype>
#include <utility>

#include "link/given_port_list.h"
#include "link/windows_api.h"

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
  // A COM port is listed while the system knows its device name, as an adapter is while plugged in.
  char target[1024];
  if (::QueryDosDeviceA(m_name.c_str(), target, sizeof target) == 0) return {};
  // Named as a CH340's driver names it, so that the search takes it.
  return {{m_name, m_path, "USB-SERIAL CH340 (" + m_name + ")"}};
}

}  // namespace quillon
