#include "link/ports/ch340_search.h"
#include "station/connection/discovery.h"
#include "station/shared_state.h"

namespace quillon {

int FindCh340Port(SerialPortList& ports, PortSearchReport* report, std::FILE* namesOut) {
  // g_linkKind says "no link" until the search has found its port.
  g_linkKind.store(kNoLink);
  const int portNumber = SearchCh340Port(ports, report, namesOut);
  g_linkKind.store(static_cast<std::uint32_t>(portNumber));
  return portNumber;
}

}  // namespace quillon
