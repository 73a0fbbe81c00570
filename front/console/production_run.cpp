#include "front/console/production_run.h"

#include <chrono>
#include <string>

#include "front/console/write_command.h"
#include "station/dialog_controls.h"
#include "station/jobs/expected_pages.h"
#include "station/shared_state.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks whether the operator asked to stop.
constexpr std::chrono::milliseconds kStopCheckPeriod{200};

struct ProductionTally {
  int passed = 0;
  int failed = 0;  // refused inputs included
};

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
                  UnitLog* log, JobEvents* events, const std::atomic<bool>& stopRequested,
                  std::FILE* errorOut) {
  ProductionTally tally;
  std::fprintf(
      errorOut, "%s\n",
      Tr("Production run of {1}: Ctrl-C ends it after the unit in hand.", {options.package}).c_str());
  for (int unit = 1; WaitForDevice(view, stopRequested); ++unit) {
    const int dropsBefore = view.LinkDrops();
    // As the job will find it: worked out again for every unit, as the job reads its files again.
    const UnitStart start = StartOfUnit(options, view);
    const JobEnd end = PressAndWait(options.jobButton, app, [&] {
      if (events != nullptr) events->Started(unit, static_cast<int>(start.package.pages.size()));
    });
    if (end.exitCode == kExitNoDevice) {  // the link went down before the press: wait again
      --unit;
      continue;
    }
    const UnitRecord record = RecordOfUnit(options, start, end, view);
    if (events != nullptr) events->Ended(unit, record);
    (end.exitCode == kExitWriteComplete ? tally.passed : tally.failed) += 1;
    if (log != nullptr && !log->Append(record)) {
      std::fprintf(errorOut, "quillon-cli: %s\n", Tr("the log could not be written"));
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", record.seconds);
    std::fprintf(errorOut, "%s\n",
                 Tr("Unit {1}: {2}, {3} pages, {4} s. Passed {5}, failed {6}.",
                    {std::to_string(unit), Tr(record.result.c_str()), std::to_string(record.pages), seconds,
                     std::to_string(tally.passed), std::to_string(tally.failed)})
                     .c_str());
    if (stopRequested.load()) break;
    std::fprintf(errorOut, "%s\n", Tr("Take the device away and link the next one."));
    std::fflush(errorOut);
    if (events != nullptr) events->Idle(unit);
    if (!WaitForDeviceToLeave(app, view, usb, dropsBefore, stopRequested)) break;
  }
  std::fprintf(errorOut, "%s\n",
               Tr("Production run ended: {1} units, {2} passed, {3} failed.",
                  {std::to_string(tally.passed + tally.failed), std::to_string(tally.passed),
                   std::to_string(tally.failed)})
                   .c_str());
  return tally.failed == 0 ? kExitWriteComplete : kExitJobFailed;
}

}  // namespace quillon::console
