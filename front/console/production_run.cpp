#include "front/console/production_run.h"

#include <chrono>
#include <string>

#include "front/console/sha256.h"
#include "front/console/write_command.h"
#include "station/dialog_controls.h"
#include "station/jobs/expected_pages.h"
#include "station/shared_state.h"

namespace quillon::console {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks whether the operator asked to stop.
constexpr std::chrono::milliseconds kStopCheckPeriod{200};

struct ProductionTally {
  int passed = 0;
  int failed = 0;  // refused inputs included
};

const char* ResultWord(int exitCode) {
  switch (exitCode) {
    case kExitWriteComplete:
      return "complete";
    case kExitInputRefused:
      return "refused";
    default:
      return "failed";
  }
}

// The digest of the first `pages` pages the package's job writes: those it verified.
std::string DigestOfVerifiedPages(const PackagePages& package, int pages) {
  Sha256 digest;
  for (int i = 0; i < pages && i < static_cast<int>(package.pages.size()); ++i)
    digest.Add(package.pages[i].bytes);
  return digest.HexDigest();
}

bool UsbDeviceGone(UsbBridge& usb) {
  std::uint32_t count = 0;
  return usb.GetNumDevices(&count) != 0 || count == 0;
}

// Waits for a linked station that takes a job; false when the operator asked to stop first.
bool WaitForDevice(ConsoleView& view, const std::atomic<bool>& stop) {
  while (!stop.load()) {
    if (view.WaitUntilEnabled(kJobButtonIds.front(), Clock::now() + kStopCheckPeriod)) return true;
  }
  return false;
}

// Waits until the link has gone down since `dropsBefore`: a serial adapter taken away hangs its tty
// up, which the station notices; a USB device taken away is seen gone from the bus, and the station
// told. False when the operator asked to stop first.
bool WaitForDeviceToLeave(CQuillonApp& app, ConsoleView& view, UsbBridge& usb, int dropsBefore,
                          const std::atomic<bool>& stop) {
  while (!stop.load()) {
    if (view.WaitForLinkDrop(dropsBefore, Clock::now() + kStopCheckPeriod)) return true;
    if (g_linkKind.load() == kUsbLinkKind && UsbDeviceGone(usb)) {
      app.Thread().Send([&app] { app.Dialog().LetGoOfUsbDevice(); });
    }
  }
  return false;
}

}  // namespace

int RunProduction(const CliOptions& options, CQuillonApp& app, ConsoleView& view, UsbBridge& usb,
                  UnitLog* log, const std::atomic<bool>& stopRequested, std::FILE* errorOut) {
  ProductionTally tally;
  std::fprintf(errorOut, "Production run of %s: Ctrl-C ends it after the unit in hand.\n",
               options.package.c_str());
  for (int unit = 1; WaitForDevice(view, stopRequested); ++unit) {
    UnitRecord record;
    record.time = UtcTimeNow();
    record.package = options.package;
    const int dropsBefore = view.LinkDrops();
    // As the job will find it: worked out again for every unit, as the job reads its files again.
    const PackagePages package = ExpectedPackagePages(options.jobButton);
    view.ExpectPages(static_cast<int>(package.pages.size()));
    const auto start = Clock::now();
    const JobEnd end = PressAndWait(options.jobButton, app, view);
    if (end.exitCode == kExitNoDevice) {  // the link went down before the press: wait again
      --unit;
      continue;
    }
    record.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    record.link = view.LastLink();  // the link the job ran on: it was named before the job could start
    record.pages = view.PagesCounted();
    record.result = ResultWord(end.exitCode);
    record.message = end.message;
    record.sha256 = DigestOfVerifiedPages(package, record.pages);
    (end.exitCode == kExitWriteComplete ? tally.passed : tally.failed) += 1;
    if (log != nullptr && !log->Append(record)) {
      std::fprintf(errorOut, "quillon-cli: the log could not be written\n");
    }
    std::fprintf(errorOut, "Unit %d: %s, %d pages, %.1f s. Passed %d, failed %d.\n", unit,
                 record.result.c_str(), record.pages, record.seconds, tally.passed, tally.failed);
    if (stopRequested.load()) break;
    std::fprintf(errorOut, "Take the device away and link the next one.\n");
    std::fflush(errorOut);
    if (!WaitForDeviceToLeave(app, view, usb, dropsBefore, stopRequested)) break;
  }
  std::fprintf(errorOut, "Production run ended: %d units, %d passed, %d failed.\n",
               tally.passed + tally.failed, tally.passed, tally.failed);
  return tally.failed == 0 ? kExitWriteComplete : kExitJobFailed;
}

}  // namespace quillon::console
