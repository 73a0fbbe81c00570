#include "front/console/write_command.h"

#include "front/console/job_start.h"
#include "line/sha256.h"
#include "package/hex_records.h"
#include "station/jobs/expected_pages.h"
#include "station/jobs/font_file_job.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

// The log's words, the same in every language; the console shows them translated.
const char* ResultWord(const Result<void>& outcome) {
  if (outcome) return N_("complete");
  return outcome.Failure().kind == ProblemKind::kInputRefused ? N_("refused") : N_("failed");
}

// The digest of the first `pages` pages the unit's job writes: those it verified.
std::string DigestOfVerifiedPages(const PackagePages& package, int pages) {
  Sha256 digest;
  for (int i = 0; i < pages && i < static_cast<int>(package.pages.size()); ++i)
    digest.Add(package.pages[i].bytes);
  return digest.HexDigest();
}

// The unit's record as it stands: the pages verified so far.
UnitRecord RecordSoFar(const UnitStart& start, const ConsoleView& view, const CliOptions& options) {
  UnitRecord record;
  record.time = start.time;
  record.package = options.package;
  record.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start.clock).count();
  record.link = view.LastLink();  // the link the job runs on: it was named before the job could start
  record.pages = view.PagesCounted();
  record.sha256 = DigestOfVerifiedPages(*start.package, record.pages);
  return record;
}

}  // namespace

Result<void> OutcomeOfJob(JobOutcome outcome) {
  switch (outcome) {
    case JobOutcome::kComplete:
      return {};
    case JobOutcome::kInputRefused:
      return Problem{ProblemKind::kInputRefused, {}};
    case JobOutcome::kFailed:
    case JobOutcome::kUnfinished:
      break;
  }
  return Problem{ProblemKind::kJobFailed, {}};
}

Result<RunPackage> ReadRunPackage(const CliOptions& options) {
  Result<PackagePages> package = ExpectedPackagePages(options.jobButton);
  if (!package) return package.Failure();
  return RunPackage(std::make_shared<const PackagePages>(std::move(*package)));
}

bool StartUnit(UnitStart& start, CQuillonApp& app, ConsoleView& view, UnitRecorder& recorder,
               const CliOptions& options) {
  view.ExpectPages(static_cast<int>(start.package->pages.size()));
  start.time = UtcTimeNow();
  start.clock = std::chrono::steady_clock::now();
  start.boxesBefore = app.Dialog().BoxesShown();
  start.linkDropsBefore = view.LinkDrops();
  const PressOutcome started =
      app.RunJob([package = start.package](CQuillonDlg& dlg) { WritePackageJob(dlg, package->pages); });
  if (started != PressOutcome::kJobStarted) return false;
  recorder.Started(start.unit, static_cast<int>(start.package->pages.size()),
                   [&start, &view, &options] { return RecordSoFar(start, view, options); });
  return true;
}

UnitEnd FinishUnit(const UnitStart& start, CQuillonApp& app, const ConsoleView& view, UnitRecorder& recorder,
                   const CliOptions& options) {
  app.Dialog().WaitForJobWorkers();
  UnitEnd end;
  end.linkDropsAtEnd = view.LinkDrops();
  end.outcome = OutcomeOfJob(app.Dialog().LastJobOutcome());
  end.record = RecordSoFar(start, view, options);
  end.record.result = ResultWord(end.outcome);
  // The last box's text, as the log keeps it whatever the language.
  if (app.Dialog().BoxesShown() > start.boxesBefore) end.record.message = app.Dialog().LastBoxMessage();
  if (!end.outcome && end.outcome.Failure().kind == ProblemKind::kJobFailed) {
    // A link that went down during the job failed it; else a page read back otherwise than written. The
    // page it failed at is the first the record does not count.
    end.record.fault = end.linkDropsAtEnd > start.linkDropsBefore ? "link" : "verify";
    const auto& pages = start.package->pages;
    if (end.record.pages < static_cast<int>(pages.size())) {
      end.record.at = "0x" + HexText(pages[static_cast<std::size_t>(end.record.pages)].address, 6);
    }
  }
  if (const Result<void> kept = recorder.Ended(end.record); !kept) {
    if (kept.Failure().kind != ProblemKind::kInterrupted) {
      end.recordLost = true;
    } else {  // the stop now's record stands, and what is said of the unit follows it
      end.outcome = kept;
      end.record.result = N_("interrupted");
    }
  }
  return end;
}

Result<void> RunWrite(const CliOptions& options, const RunPackage& package, CQuillonApp& app,
                      ConsoleView& view, UnitRecorder& recorder, const StopRequest& stop,
                      std::FILE* errorOut) {
  UnitStart start{.package = package};
  if (Result<void> linked = WaitUntilLinked(options.waitSeconds, view, stop, errorOut); !linked)
    return linked;
  // The link may go down between the buttons coming up and the start: then wait for it again.
  while (!StartUnit(start, app, view, recorder, options)) {
    if (Result<void> again = WaitUntilLinked(options.waitSeconds, view, stop, errorOut); !again) return again;
  }
  const UnitEnd end = FinishUnit(start, app, view, recorder, options);
  if (end.recordLost) return Problem{ProblemKind::kOutputFailed, {}};
  return end.outcome;
}

}  // namespace quillon::console
