#include <filesystem>
#include <system_error>
#include <utility>

#include "link/ports/given_port_list.h"
#include "link/serial/port_path_check.h"

namespace quillon {

GivenPortList::GivenPortList(std::string path)
    : m_given(path), m_path(std::move(path)), m_name(std::filesystem::path(m_path).filename().string()) {}

std::vector<SerialPortEntry> GivenPortList::Ports() {
  std::error_code error;
  if (!std::filesystem::exists(m_path, error)) return {};
  return {Entry(!LookAtPortPath(m_path))};
}

}  // namespace quillon
