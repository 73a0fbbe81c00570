#include <sys/stat.h>

#include "link/port_present.h"

namespace quillon {

bool PortPresent(const std::string& port) {
  struct stat status {};
  return ::stat(port.c_str(), &status) == 0;
}

}  // namespace quillon
