// quillon-cli write: wait for the watchdog to link a device, press the package's button, run the job;
// with --repeat, unit after unit (production_run.h).
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "front/console/cli_options.h"
#include "front/console/console_view.h"
#include "front/console/exit_codes.h"
#include "front/console/job_events.h"
#include "front/console/unit_log.h"
#include "package/package_pages.h"
#include "station/quillon_app.h"

namespace quillon::console {

// The exit code of a job that ended so.
int ExitCodeOfJob(JobOutcome outcome);

// How one job ended: its exit code, and the last thing the station said.
struct JobEnd {
  int exitCode = kExitJobFailed;
  std::string message;
};

// Presses the button on a station that takes jobs now and returns when the job has ended, calling
// `started` once it has started; a job that did not start ends with kExitNoDevice.
JobEnd PressAndWait(int jobButton, CQuillonApp& app, const std::function<void()>& started = {});

// A unit's job as it started: when, and the pages its package writes, worked out as the job will find
// them.
struct UnitStart {
  std::string time = UtcTimeNow();
  std::chrono::steady_clock::time_point clock = std::chrono::steady_clock::now();
  PackagePages package;
};
UnitStart StartOfUnit(const CliOptions& options, ConsoleView& view);
// The unit's record for the log and --json once its job has ended.
UnitRecord RecordOfUnit(const CliOptions& options, const UnitStart& start, const JobEnd& end,
                        const ConsoleView& view);

// Runs the job on a started application; returns the exit code. With events, the unit's start and end
// are reported to them.
int RunWrite(const CliOptions& options, CQuillonApp& app, ConsoleView& view, JobEvents* events,
             std::FILE* errorOut);

}  // namespace quillon::console
