#include "front/console/job_start.h"

#include <chrono>

#include "front/console/exit_codes.h"
#include "station/dialog_controls.h"

namespace quillon::console {

int StartWhenLinked(const std::function<PressOutcome()>& start, int waitSeconds, ConsoleView& view,
                    std::FILE* errorOut) {
  std::fprintf(errorOut, "Waiting up to %d s for the ID writer...\n", waitSeconds);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
  // The station enables its buttons only once it can take a job, so the start that follows takes,
  // unless the link went down again in between: then wait for it to come back.
  for (;;) {
    if (!view.WaitUntilEnabled(kJobButtonIds.front(), deadline)) {
      std::fprintf(errorOut, "No ID writer device was linked within %d s: check that it is plugged in.\n",
                   waitSeconds);
      return kExitNoDevice;
    }
    const PressOutcome outcome = start();
    if (outcome == PressOutcome::kJobStarted) return kExitWriteComplete;
    if (outcome == PressOutcome::kNoJobStarted) {
      std::fprintf(errorOut, "The station is busy and did not start the job.\n");
      return kExitJobFailed;
    }
  }
}

}  // namespace quillon::console
