#include "front/console/write_command.h"

#include <algorithm>

#include "front/console/job_start.h"
#include "front/console/sha256.h"
#include "station/jobs/expected_pages.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

const char* ResultWord(int exitCode) {
  switch (exitCode) {
    // The log's words, the same in every language; the console shows them translated.
    case kExitWriteComplete:
      return N_("complete");
    case kExitInputRefused:
      return N_("refused");
    default:
      return N_("failed");
  }
}

// The digest of the first `pages` pages the package's job writes: those it verified.
std::string DigestOfVerifiedPages(const PackagePages& package, int pages) {
  Sha256 digest;
  for (int i = 0; i < pages && i < static_cast<int>(package.pages.size()); ++i)
    digest.Add(package.pages[i].bytes);
  return digest.HexDigest();
}

// The last box's text since `boxesBefore`, as the log keeps it whatever the language.
std::string LastMessageSince(CQuillonApp& app, std::uint32_t boxesBefore) {
  return app.Dialog().BoxesShown() > boxesBefore ? app.Dialog().LastBoxMessage() : std::string();
}

}  // namespace

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

JobEnd PressAndWait(int jobButton, CQuillonApp& app, const std::function<void()>& started) {
  const std::uint32_t boxesBefore = app.Dialog().BoxesShown();
  if (app.Press(jobButton) != PressOutcome::kJobStarted) return {kExitNoDevice, {}};
  if (started) started();
  app.Dialog().WaitForJobWorkers();
  return {ExitCodeOfJob(app.Dialog().LastJobOutcome()), LastMessageSince(app, boxesBefore)};
}

UnitStart StartOfUnit(const CliOptions& options, ConsoleView& view) {
  UnitStart start;
  start.package = ExpectedPackagePages(options.jobButton);
  view.ExpectPages(static_cast<int>(start.package.pages.size()));
  return start;
}

UnitRecord RecordOfUnit(const CliOptions& options, const UnitStart& start, const JobEnd& end,
                        const ConsoleView& view) {
  UnitRecord record;
  record.time = start.time;
  record.package = options.package;
  record.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start.clock).count();
  record.link = view.LastLink();  // the link the job ran on: it was named before the job could start
  record.pages = view.PagesCounted();
  record.result = ResultWord(end.exitCode);
  record.message = end.message;
  record.sha256 = DigestOfVerifiedPages(start.package, record.pages);
  return record;
}

int RunWrite(const CliOptions& options, CQuillonApp& app, ConsoleView& view, JobEvents* events,
             std::FILE* errorOut) {
  UnitStart start = StartOfUnit(options, view);
  const std::uint32_t boxesBefore = app.Dialog().BoxesShown();
  const int started =
      StartWhenLinked([&] { return app.Press(options.jobButton); }, options.waitSeconds, view, errorOut);
  if (started != kExitWriteComplete) return started;
  if (events != nullptr) events->Started(1, static_cast<int>(start.package.pages.size()));
  start.clock = std::chrono::steady_clock::now();
  app.Dialog().WaitForJobWorkers();
  const JobEnd end{ExitCodeOfJob(app.Dialog().LastJobOutcome()), LastMessageSince(app, boxesBefore)};
  if (events != nullptr) events->Ended(1, RecordOfUnit(options, start, end, view));
  return end.exitCode;
}

}  // namespace quillon::console
