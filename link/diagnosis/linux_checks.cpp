#include "link/diagnosis/linux_checks.h"

#include <memory>

namespace quillon {

std::vector<SetupCheck> LinuxChecks(const LinuxSystem& system) {
  // Found once, when the first check runs: every check speaks of the same adapters.
  auto adapters = std::make_shared<std::vector<Ch340Adapter>>();
  return {
      [&system, adapters] {
        *adapters = FindCh340Adapters(system.root);
        return CheckCh340Adapters(*adapters);
      },
      [&system] { return CheckBrltty(system); },
      [&system, adapters] { return CheckModemManager(system, *adapters); },
      [&system, adapters] { return CheckTtyAccess(system, *adapters); },
      [&system, adapters] { return CheckPortHolders(system, *adapters); },
      [&system, adapters] { return CheckKernelMessages(system, *adapters); },
  };
}

}  // namespace quillon
