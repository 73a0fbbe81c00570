#include "link/diagnosis/port_check.h"

#include "link/link_status.h"
#include "texts/catalogue.h"

namespace quillon {

CheckResult CheckPortOpens(const std::string& portName, const PortProbe& probe) {
  CheckResult result{
      "port-opens", CheckVerdict::kFail, Tr("Opening {1}", {portName}), AvailabilityWords(probe), {}};
  switch (probe.availability) {
    case PortAvailability::kFree:
      result.verdict = CheckVerdict::kPass;
      result.found = Tr("it opens, and no other program holds it");
      break;
    case PortAvailability::kBusy:
      result.found = probe.holder.empty() ? std::string(Tr("another program holds it"))
                                          : Tr("held by {1}", {probe.holder});
      result.fix =
          Tr("Close the program that holds it (a terminal program, another station), then check again.");
      break;
    case PortAvailability::kMissing:
      result.found = Tr("it is not there");
      result.fix = Tr("Plug the adapter in, or name the port it has.");
      break;
    case PortAvailability::kNoPermission:
      result.found = Tr("this user may not open it");
      result.fix = Tr("sudo usermod -aG dialout $USER, then log in again.");
      break;
    case PortAvailability::kNotSerialPort:
    case PortAvailability::kUnusable:
      result.fix = Tr("Name the adapter's serial port.");
      break;
  }
  return result;
}

}  // namespace quillon
