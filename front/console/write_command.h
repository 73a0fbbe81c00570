// quillon-cli write: wait for the watchdog to link a device, then write the package, read once for the
// whole run, so that the device receives exactly the pages its record counts and digests; with
// --repeat, unit after unit (production_run.h).
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "front/common/exit_codes.h"
#include "front/console/cli_options.h"
#include "front/console/console_view.h"
#include "front/console/unit_recorder.h"
#include "line/stop_request.h"
#include "package/package_pages.h"
#include "station/quillon_app.h"

namespace quillon::console {

// How a job that ended so went: nothing when it completed, else kJobFailed or kInputRefused.
Result<void> OutcomeOfJob(JobOutcome outcome);

// The package a run writes, read once; refused, it ends the run before the device hears anything.
using RunPackage = std::shared_ptr<const PackagePages>;
Result<RunPackage> ReadRunPackage(const CliOptions& options);

// A unit as it started: when, and the package it writes.
struct UnitStart {
  int unit = 1;
  RunPackage package;
  std::string time = UtcTimeNow();
  std::chrono::steady_clock::time_point clock = std::chrono::steady_clock::now();
  std::uint32_t boxesBefore = 0;  // the station's boxes before the job: its own come after
  int linkDropsBefore = 0;        // how often the link had gone down before the job
};

// Starts the unit's job on a station that takes jobs now, and tells the recorder; false when the job
// did not start (the link went down just before).
bool StartUnit(UnitStart& start, CQuillonApp& app, ConsoleView& view, UnitRecorder& recorder,
               const CliOptions& options);
// How a unit ended: its job's outcome and its record, and whether the record could not be kept.
struct UnitEnd {
  Result<void> outcome;
  UnitRecord record;
  bool recordLost = false;
  // How often the link had gone down as the job ended, before its record was kept: a device taken away
  // the moment its record is seen has its link go down after this.
  int linkDropsAtEnd = 0;
};
// Waits for the unit's job to end and records it.
UnitEnd FinishUnit(const UnitStart& start, CQuillonApp& app, const ConsoleView& view, UnitRecorder& recorder,
                   const CliOptions& options);

// Runs one unit on a started application. Problems: the job's, a wait's, or kOutputFailed when its
// record could not be kept.
Result<void> RunWrite(const CliOptions& options, const RunPackage& package, CQuillonApp& app,
                      ConsoleView& view, UnitRecorder& recorder, const StopRequest& stop,
                      std::FILE* errorOut);

}  // namespace quillon::console
