#include "link/diagnosis/linux_checks.h"
#include "link/diagnosis/system_files.h"
#include "texts/catalogue.h"

namespace quillon {

const char* InstallStationRuleText() {
  return Tr(
      "Install the station's udev rule (the quillon package brings it as 60-quillon.rules), then plug the "
      "adapter in again.");
}

std::vector<CheckResult> CheckModemManager(const LinuxSystem& system,
                                           std::span<const Ch340Adapter> adapters) {
  const SystemRoot& root = system.root;
  const std::vector<RunningProcess> running = ProcessesNamed(root, "ModemManager");
  if (running.empty()) {
    return {{"modem-manager", CheckVerdict::kPass, Tr("ModemManager"), Tr("it is not running"), {}}};
  }
  const std::optional<RuleFile> rule = StationRule(root);
  std::vector<CheckResult> results;
  for (const Ch340Adapter& adapter : adapters) {
    if (adapter.tty.empty()) continue;
    CheckResult result{"modem-manager",
                       CheckVerdict::kPass,
                       Tr("ModemManager and {1}", {adapter.Device()}),
                       Tr("it is told to leave the port alone (ID_MM_DEVICE_IGNORE=1)"),
                       {}};
    if (UdevProperty(root, adapter.deviceNumber, "ID_MM_DEVICE_IGNORE") != "1") {
      result.verdict = CheckVerdict::kFail;
      if (rule) {
        result.found =
            Tr("it may probe the port with AT commands and hold it: the station's rule ({1}) was not "
               "applied to it (plugged in before the rule was installed)",
               {rule->path});
        result.fix = Tr("Plug the adapter in again, or: sudo udevadm trigger.");
      } else {
        result.found = Tr(
            "it may probe the port with AT commands and hold it: the station's udev rule is not installed");
        result.fix = InstallStationRuleText();
      }
    }
    results.push_back(std::move(result));
  }
  if (!results.empty()) return results;
  if (rule) {
    return {{"modem-manager",
             CheckVerdict::kPass,
             Tr("ModemManager"),
             Tr("it is running; the station's rule ({1}) keeps it off CH340 adapters", {rule->path}),
             {}}};
  }
  return {
      {"modem-manager", CheckVerdict::kFail, Tr("ModemManager"),
       Tr("it is running, and the station's udev rule is not installed: it will probe a CH340 adapter with "
          "AT commands and hold its port"),
       InstallStationRuleText()}};
}

}  // namespace quillon
