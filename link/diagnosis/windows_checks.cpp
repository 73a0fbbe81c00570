#include <memory>

#include "link/diagnosis/port_check.h"
#include "link/diagnosis/windows_devices.h"
#include "texts/catalogue.h"

namespace quillon {

std::vector<CheckResult> CheckCh340Drivers(std::span<const WindowsUsbDevice> devices) {
  if (devices.empty()) {
    return {{"ch340-adapter",
             CheckVerdict::kNothingToCheck,
             Tr("CH340 adapters on the USB bus"),
             Tr("none is plugged in"),
             {}}};
  }
  std::vector<CheckResult> results;
  for (const WindowsUsbDevice& device : devices) {
    CheckResult result{"ch340-adapter",
                       CheckVerdict::kPass,
                       Tr("CH340 adapter {1} ({2})", {UsbIdText(device.id), device.name}),
                       Tr("its port is {1}", {device.comPort}),
                       {}};
    if (device.comPort.empty()) {
      result.verdict = CheckVerdict::kFail;
      result.found =
          Tr("it has no COM port: its driver is not installed (Device Manager lists it under Other devices)");
      result.fix = Tr(
          "Let Windows Update install its driver (in Device Manager: Update driver), or install the maker's "
          "CH341SER driver; then plug it in again.");
    }
    results.push_back(std::move(result));
  }
  return results;
}

std::vector<CheckResult> CheckCh340Ports(WindowsDeviceList& list, std::span<const WindowsUsbDevice> devices) {
  std::vector<CheckResult> results;
  for (const WindowsUsbDevice& device : devices) {
    if (!device.comPort.empty())
      results.push_back(CheckPortOpens(device.comPort, list.ProbeComPort(device.comPort)));
  }
  return results;
}

std::vector<SetupCheck> WindowsChecks(WindowsDeviceList& list) {
  // Listed once, when the first check runs: both checks speak of the same adapters.
  auto devices = std::make_shared<std::vector<WindowsUsbDevice>>();
  return {
      [&list, devices] {
        *devices = list.Ch340Devices();
        return CheckCh340Drivers(*devices);
      },
      [&list, devices] { return CheckCh340Ports(list, *devices); },
  };
}

}  // namespace quillon
