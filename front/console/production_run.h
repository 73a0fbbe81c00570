// quillon-cli write --repeat: a production line's run. Unit after unit: wait for a device to be linked,
// write the package, record the unit, wait for the device to be taken away, and again, until the
// operator asks to stop (Ctrl-C), which ends the run after the unit in hand.
#pragma once

#include <atomic>
#include <cstdio>

#include "front/console/cli_options.h"
#include "front/console/console_view.h"
#include "front/console/job_events.h"
#include "front/console/unit_log.h"
#include "link/usb_bridge.h"
#include "station/quillon_app.h"

namespace quillon::console {

// Runs until stopRequested; each unit goes to `log` when there is one, and a line about it with the
// tally so far to errorOut. The USB bridge is asked whether a USB device is still there, as only an
// exchange would notice it gone. With events, each unit's start and end and the waits between are
// reported to them. kExitWriteComplete when no unit failed, else kExitJobFailed.
int RunProduction(const CliOptions& options, CQuillonApp& app, ConsoleView& view, UsbBridge& usb,
                  UnitLog* log, JobEvents* events, const std::atomic<bool>& stopRequested,
                  std::FILE* errorOut);

}  // namespace quillon::console
