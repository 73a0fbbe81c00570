#include <filesystem>

#include "link/ports/port_socket_name.h"

namespace quillon {

std::string PortSocketName(const std::string& systemLocation, const std::string& byPathFolder) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path tty = fs::canonical(systemLocation, error);
  if (error) return {};
  for (const fs::directory_entry& link : fs::directory_iterator(byPathFolder, error)) {
    std::error_code linkError;
    if (fs::canonical(link.path(), linkError) == tty && !linkError) return link.path().string();
  }
  return {};
}

}  // namespace quillon
