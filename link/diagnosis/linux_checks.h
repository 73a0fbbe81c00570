// The checks of a Linux station's set-up, each over the system it is given: whether the CH340 adapters
// plugged in have a port, whether brltty or ModemManager take them, whether this user may open their
// port and whether another program holds it, and what the kernel said about them.
#pragma once

#include <span>
#include <vector>

#include "link/diagnosis/ch340_adapters.h"
#include "link/diagnosis/check_result.h"
#include "link/diagnosis/system_root.h"

namespace quillon {

std::vector<CheckResult> CheckCh340Adapters(std::span<const Ch340Adapter> adapters);
std::vector<CheckResult> CheckBrltty(const LinuxSystem& system);
std::vector<CheckResult> CheckModemManager(const LinuxSystem& system, std::span<const Ch340Adapter> adapters);
std::vector<CheckResult> CheckTtyAccess(const LinuxSystem& system, std::span<const Ch340Adapter> adapters);
std::vector<CheckResult> CheckPortHolders(const LinuxSystem& system, std::span<const Ch340Adapter> adapters);
std::vector<CheckResult> CheckKernelMessages(const LinuxSystem& system,
                                             std::span<const Ch340Adapter> adapters);

// All of them, in the order an operator reads them, over the adapters plugged in when they run. The
// system must outlive the checks.
std::vector<SetupCheck> LinuxChecks(const LinuxSystem& system);

// What the fix says when the station's udev rule is missing.
const char* InstallStationRuleText();

}  // namespace quillon
