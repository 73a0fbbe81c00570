// quillon-cli doctor: the station checks its own set-up and prints a line per check (or a JSON object
// with --json), then, with a device named or found, links it and measures a round trip without writing.
#pragma once

#include <cstdio>
#include <span>

#include "front/console/cli_options.h"
#include "link/diagnosis/check_result.h"

namespace quillon::console {

// The system's checks given are run first. Returns 0 when no check failed, 1 otherwise; after a live
// round trip the process ends with that code instead (a connection attempt may still be running).
int RunDoctor(const CliOptions& options, std::span<const SetupCheck> checks, std::FILE* out,
              std::FILE* errorOut);

}  // namespace quillon::console
