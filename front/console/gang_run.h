// quillon-cli write PACKAGE --port A --port B ...: a gang, one slot per port, supervised by this
// command (line/gang_supervisor.h). The console shows every slot (a line each, redrawn on a terminal; a
// line per event elsewhere; with --json the slots' events with their slot numbers) and the tally.
#pragma once

#include <cstdio>

#include "front/console/cli_options.h"
#include "front/console/write_command.h"
#include "line/stop_request.h"
#include "line/unit_log.h"

namespace quillon::console {

struct GangOutput {
  std::FILE* out;  // the slots' lines, or their --json events
  std::FILE* err;  // what the slots' stations said, the tally
  bool terminal;   // out is a terminal: the slots' lines are redrawn in place
};

// Runs until every slot has ended (with --repeat: until asked to stop, which is passed on to every
// slot). Nothing only when every unit of every slot completed; when every slot ended with the same
// code, its kind; kOutputFailed when a record could not be kept, kInterrupted when stopped now; else
// kJobFailed.
Result<void> RunGang(const CliOptions& options, const RunPackage& package, UnitLog* log,
                     const StopRequest& stop, const GangOutput& output);

}  // namespace quillon::console
