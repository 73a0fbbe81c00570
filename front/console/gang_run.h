// quillon-cli write PACKAGE --port A --port B ...: a gang, one slot per port, every slot a station in a
// process of its own (SlotProcess) that this supervisor starts and watches. Each slot links, writes,
// verifies and (with --repeat) goes on unit after unit by itself; a slot that fails, is unplugged or
// hangs never holds up another. The supervisor shows every slot (a line each, redrawn on a terminal; a
// line per event elsewhere; with --json the slots' events with their slot numbers), keeps the one log,
// and tallies.
#pragma once

#include <atomic>
#include <cstdio>

#include "front/console/cli_options.h"
#include "front/console/unit_log.h"

namespace quillon::console {

struct GangOutput {
  std::FILE* out;  // the slots' lines, or their --json events
  std::FILE* err;  // what the slots' stations said, the tally
  bool terminal;   // out is a terminal: the slots' lines are redrawn in place
};

// Runs until every slot has ended (with --repeat: until stopRequested, which is passed on to every
// slot). kExitWriteComplete only when every unit of every slot completed; when every slot ended with
// the same code, that code; else kExitJobFailed.
int RunGang(const CliOptions& options, UnitLog* log, const std::atomic<bool>& stopRequested,
            const GangOutput& output);

}  // namespace quillon::console
