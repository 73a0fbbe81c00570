#include "link/given_port_list.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace quillon {

GivenPortList::GivenPortList(std::string path)
    : m_path(std::move(path)), m_name(std::filesystem::path(m_path).filename().string()) {}

std::vector<SerialPortEntry> GivenPortList::Ports() {
  std::error_code error;
  if (!std::filesystem::exists(m_path, error)) return {};
  // Named as a CH340's driver names it, so that the search takes it.
  return {{m_name, m_path, "USB-SERIAL CH340 (" + m_name + ")"}};
}

}  // namespace quillon
