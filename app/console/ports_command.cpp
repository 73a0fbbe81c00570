#include "app/console/ports_command.h"

namespace quillon::console {

int ListPorts(SerialPortList& ports, std::FILE* out) {
  const std::vector<SerialPortEntry> entries = ports.Ports();
  if (entries.empty()) std::fputs("No serial ports found.\n", out);
  for (const SerialPortEntry& entry : entries) {
    std::fprintf(out, "%s\t%s\n", entry.friendlyName.c_str(), entry.systemLocation.c_str());
  }
  return 0;
}

}  // namespace quillon::console
