// quillon-cli write: wait for the watchdog to link a device, press the package's button, run the job.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/console/cli_options.h"
#include "app/console/console_view.h"
#include "app/quillon_app.h"

namespace quillon::console {

enum ExitCode : int {
  kExitWriteComplete = 0,
  kExitJobFailed = 1,
  kExitUsage = 2,
  kExitInputRefused = 3,
  kExitNoDevice = 4,
};

// The exit code that the messages a job showed stand for.
int ExitCodeOfJob(const std::vector<std::string>& messages);

// Runs the job on a started application; returns the exit code.
int RunWrite(const CliOptions& options, CQuillonApp& app, ConsoleView& view, std::FILE* errorOut);

}  // namespace quillon::console
