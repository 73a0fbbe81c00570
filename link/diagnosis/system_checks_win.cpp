#include <memory>

#include "link/diagnosis/system_checks.h"
#include "link/diagnosis/usb_library_check.h"
#include "link/diagnosis/windows_devices.h"

namespace quillon {

std::vector<SetupCheck> SystemSetupChecks(const std::string& /*root*/) {
  std::shared_ptr<WindowsDeviceList> list = SystemDeviceList();
  std::vector<SetupCheck> checks;
  // Each keeps the list alive for as long as it may run.
  for (SetupCheck& check : WindowsChecks(*list)) {
    checks.push_back([list, check = std::move(check)] { return check(); });
  }
  checks.push_back([] { return CheckUsbLibrary(LookAtUsbLibrary()); });
  return checks;
}

}  // namespace quillon
