#include "front/console/write_command.h"

#include <algorithm>

#include "front/console/job_start.h"
#include "station/jobs/expected_pages.h"

namespace quillon::console {
int ExitCodeOfJob(JobOutcome outcome) {
  switch (outcome) {
    case JobOutcome::kComplete:
      return kExitWriteComplete;
    case JobOutcome::kInputRefused:
      return kExitInputRefused;
    case JobOutcome::kFailed:
    case JobOutcome::kUnfinished:
      return kExitJobFailed;
  }
  return kExitJobFailed;
}

JobEnd PressAndWait(int jobButton, CQuillonApp& app, ConsoleView& view) {
  const std::size_t messagesBefore = view.MessageTexts().size();
  if (app.Press(jobButton) != PressOutcome::kJobStarted) return {kExitNoDevice, {}};
  app.Dialog().WaitForJobWorkers();
  std::vector<std::string> messages = view.MessageTexts();
  messages.erase(messages.begin(), messages.begin() + static_cast<std::ptrdiff_t>(messagesBefore));
  return {ExitCodeOfJob(app.Dialog().LastJobOutcome()), messages.empty() ? std::string() : messages.back()};
}

int RunWrite(const CliOptions& options, CQuillonApp& app, ConsoleView& view, std::FILE* errorOut) {
  view.ExpectPages(static_cast<int>(ExpectedPackagePages(options.jobButton).pages.size()));
  const int started =
      StartWhenLinked([&] { return app.Press(options.jobButton); }, options.waitSeconds, view, errorOut);
  if (started != kExitWriteComplete) return started;
  app.Dialog().WaitForJobWorkers();
  return ExitCodeOfJob(app.Dialog().LastJobOutcome());
}

}  // namespace quillon::console
