// quillon-cli write --repeat: a production line's run. Unit after unit: wait for a device to be linked,
// write the package, record the unit, wait for the device to be taken away, and again, until asked to
// stop (Ctrl-C, SIGTERM, SIGHUP), which ends the run after the unit in hand.
#pragma once

#include <cstdio>

#include "front/console/cli_options.h"
#include "front/console/console_view.h"
#include "front/console/unit_recorder.h"
#include "front/console/write_command.h"
#include "line/stop_request.h"
#include "link/usb/usb_bridge.h"
#include "station/quillon_app.h"

namespace quillon::console {

// Runs until asked to stop, or until a record could not be kept; each unit goes to the recorder, and a
// line about it with the tally so far to errorOut. The USB bridge is asked whether a USB device is still
// there, as only an exchange would notice it gone. Problems: kJobFailed when a unit failed,
// kOutputFailed when a record could not be kept.
Result<void> RunProduction(const CliOptions& options, const RunPackage& package, CQuillonApp& app,
                           ConsoleView& view, UsbBridge& usb, UnitRecorder& recorder, JobEvents* events,
                           const StopRequest& stop, std::FILE* errorOut);

}  // namespace quillon::console
