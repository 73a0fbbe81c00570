#include <memory>

#include "link/diagnosis/linux_checks.h"
#include "link/diagnosis/system_checks.h"
#include "link/diagnosis/usb_library_check.h"

namespace quillon {

std::vector<SetupCheck> SystemSetupChecks(const std::string& root) {
  auto system = std::make_shared<LinuxSystem>(
      LinuxSystem{SystemRoot(root.empty() ? std::string("/") : root), Identity::OfThisProcess()});
  std::vector<SetupCheck> checks;
  // Each keeps the system alive for as long as it may run.
  for (SetupCheck& check : LinuxChecks(*system)) {
    checks.push_back([system, check = std::move(check)] { return check(); });
  }
  checks.push_back([] { return CheckUsbLibrary(LookAtUsbLibrary()); });
  return checks;
}

}  // namespace quillon
