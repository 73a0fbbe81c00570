#include "front/console/production_run.h"

#include <chrono>
#include <string>

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
  std::fprintf(errorOut, "Production run of %s: Ctrl-C ends it after the unit in hand.\n",
               options.package.c_str());
  for (int unit = 1; WaitForDevice(view, stopRequested); ++unit) {
    const int dropsBefore = view.LinkDrops();
    // As the job will find it: worked out again for every unit, as the job reads its files again.
    const UnitStart start = StartOfUnit(options, view);
    const JobEnd end = PressAndWait(options.jobButton, app, view, [&] {
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
      std::fprintf(errorOut, "quillon-cli: the log could not be written\n");
    }
    std::fprintf(errorOut, "Unit %d: %s, %d pages, %.1f s. Passed %d, failed %d.\n", unit,
                 record.result.c_str(), record.pages, record.seconds, tally.passed, tally.failed);
    if (stopRequested.load()) break;
    std::fprintf(errorOut, "Take the device away and link the next one.\n");
    std::fflush(errorOut);
    if (events != nullptr) events->Idle(unit);
    if (!WaitForDeviceToLeave(app, view, usb, dropsBefore, stopRequested)) break;
  }
  std::fprintf(errorOut, "Production run ended: %d units, %d passed, %d failed.\n",
               tally.passed + tally.failed, tally.passed, tally.failed);
  return tally.failed == 0 ? kExitWriteComplete : kExitJobFailed;
}

}  // namespace quillon::console
