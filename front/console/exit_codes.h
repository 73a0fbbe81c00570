// quillon-cli's exit codes, for scripts.
#pragma once

namespace quillon::console {

enum ExitCode : int {
  kExitWriteComplete = 0,  // also: every page matches, the flash was read
  kExitJobFailed = 1,      // also: a page differs, the link failed, a unit of a production run failed
  kExitUsage = 2,
  kExitInputRefused = 3,  // an input file missing or refused, or an output file that cannot be written
  kExitNoDevice = 4,
  kExitInterrupted = 5,  // stopped before the unit in hand ended (it is recorded as interrupted)
};

}  // namespace quillon::console
