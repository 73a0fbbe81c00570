#include <optional>

#include "link/ports/same_port.h"
#include "link/serial/com_port_name.h"

namespace quillon {

bool SamePort(const std::string& first, const std::string& second) {
  const std::optional<std::string> one = ComPortName(first);
  return one && one == ComPortName(second);
}

}  // namespace quillon
