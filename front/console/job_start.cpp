#include "front/console/job_start.h"

#include <algorithm>
#include <chrono>

#include "front/common/exit_codes.h"
#include "station/dialog_controls.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks whether it was asked to stop.
constexpr std::chrono::milliseconds kStopCheckPeriod{200};

}  // namespace

Result<void> WaitUntilLinked(int waitSeconds, ConsoleView& view, const StopRequest& stop,
                             std::FILE* errorOut) {
  std::fprintf(errorOut, "%s\n",
               Tr("Waiting up to {1} s for the ID writer...", {std::to_string(waitSeconds)}).c_str());
  const auto deadline = Clock::now() + std::chrono::seconds(waitSeconds);
  for (;;) {
    if (stop.Asked()) return Problem{ProblemKind::kInterrupted, {}};
    if (view.WaitUntilEnabled(kJobButtonIds.front(), std::min(deadline, Clock::now() + kStopCheckPeriod))) {
      return {};
    }
    if (Clock::now() >= deadline) {
      const std::string words =
          Tr("No ID writer device was linked within {1} s: check that it is plugged in.",
             {std::to_string(waitSeconds)});
      std::fprintf(errorOut, "%s\n", words.c_str());
      return Problem{ProblemKind::kNoDevice, words};
    }
  }
}

Result<void> StartWhenLinked(const std::function<PressOutcome()>& start, int waitSeconds, ConsoleView& view,
                             const StopRequest& stop, std::FILE* errorOut) {
  // The station enables its buttons only once it can take a job, so the start that follows takes,
  // unless the link went down again in between: then wait for it to come back.
  for (;;) {
    if (Result<void> linked = WaitUntilLinked(waitSeconds, view, stop, errorOut); !linked) return linked;
    const PressOutcome outcome = start();
    if (outcome == PressOutcome::kJobStarted) return {};
    if (outcome == PressOutcome::kNoJobStarted) {
      const std::string words = Tr("The station is busy and did not start the job.");
      std::fprintf(errorOut, "%s\n", words.c_str());
      return Problem{ProblemKind::kJobFailed, words};
    }
  }
}

}  // namespace quillon::console
