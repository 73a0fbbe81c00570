// quillon-cli write: wait for the watchdog to link a device, press the package's button, run the job;
// with --repeat, unit after unit (production_run.h).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "front/console/cli_options.h"
#include "front/console/console_view.h"
#include "front/console/exit_codes.h"
#include "station/quillon_app.h"

namespace quillon::console {

// The exit code of a job that ended so.
int ExitCodeOfJob(JobOutcome outcome);

// How one job ended: its exit code, and the last thing the station said.
struct JobEnd {
  int exitCode = kExitJobFailed;
  std::string message;
};

// Presses the button on a station that takes jobs now and returns when the job has ended; a job that
// did not start ends with kExitNoDevice.
JobEnd PressAndWait(int jobButton, CQuillonApp& app, ConsoleView& view);

// Runs the job on a started application; returns the exit code.
int RunWrite(const CliOptions& options, CQuillonApp& app, ConsoleView& view, std::FILE* errorOut);

}  // namespace quillon::console
