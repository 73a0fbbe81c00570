#include "link/diagnosis/linux_checks.h"
#include "link/diagnosis/system_files.h"
#include "texts/catalogue.h"

namespace quillon {

std::vector<CheckResult> CheckPortHolders(const LinuxSystem& system, std::span<const Ch340Adapter> adapters) {
  std::vector<CheckResult> results;
  for (const Ch340Adapter& adapter : adapters) {
    if (adapter.tty.empty()) continue;
    const std::vector<RunningProcess> holders =
        ProcessesHolding(system.root, adapter.Device(), system.self.pid);
    CheckResult result{"port-holder",
                       CheckVerdict::kPass,
                       Tr("Other programs on {1}", {adapter.Device()}),
                       Tr("none holds it"),
                       {}};
    if (!holders.empty()) {
      result.verdict = CheckVerdict::kFail;
      result.found = Tr("held by {1}", {ProcessesText(holders)});
      result.fix = Tr("Close it there, or end it: kill {1}.", {std::to_string(holders.front().pid)});
    }
    results.push_back(std::move(result));
  }
  return results;
}

}  // namespace quillon
