#include "link/diagnosis/linux_checks.h"
#include "texts/catalogue.h"

namespace quillon {

std::vector<CheckResult> CheckCh340Adapters(std::span<const Ch340Adapter> adapters) {
  if (adapters.empty()) {
    return {{"ch340-adapter",
             CheckVerdict::kNothingToCheck,
             Tr("CH340 adapters on the USB bus"),
             Tr("none is plugged in"),
             {}}};
  }
  std::vector<CheckResult> results;
  for (const Ch340Adapter& adapter : adapters) {
    CheckResult result{"ch340-adapter",
                       CheckVerdict::kPass,
                       Tr("CH340 adapter {1} at USB port {2}", {UsbIdText(adapter.id), adapter.busPort}),
                       Tr("its port is {1}", {adapter.Device()}),
                       {}};
    if (adapter.tty.empty()) {
      result.verdict = CheckVerdict::kFail;
      result.found = Tr("it has no port: no driver took it, or another program (brltty) claimed it");
      result.fix =
          Tr("Plug it in again; if no port appears, see the lines on brltty and the kernel's messages "
             "(sudo modprobe ch341 loads its driver).");
    }
    results.push_back(std::move(result));
  }
  return results;
}

}  // namespace quillon
