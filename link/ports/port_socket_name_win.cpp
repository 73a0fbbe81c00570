#include "link/ports/port_socket_name.h"

namespace quillon {

std::string PortSocketName(const std::string&, const std::string&) {
  return {};
}

}  // namespace quillon
