#include "front/console/production_run.h"

#include <chrono>
#include <string>

#include "station/dialog_controls.h"
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

// Waits for a linked station that takes a job; false when asked to stop first.
bool WaitForDevice(ConsoleView& view, const StopRequest& stop) {
  while (!stop.Asked()) {
    if (view.WaitUntilEnabled(kJobButtonIds.front(), Clock::now() + kStopCheckPeriod)) return true;
  }
  return false;
}

// Waits until the unit's device has been taken away: a connection attempt since its job started has
// found no device (a serial adapter pulled takes its tty with it; a USB device taken away is seen gone
// from the bus, and the station let go of it, as only an exchange would notice), or the link that was up
// as the job ended has gone down (its tty hung up). A device whose link failed during its job and that
// is still there is linked again, which is neither: it stays, its failure shown, until the operator
// pulls it, which is the acknowledgement. False when asked to stop first.
bool WaitForDeviceToLeave(CQuillonApp& app, ConsoleView& view, UsbBridge& usb, int absencesSinceStart,
                          int dropsSinceEnd, const StopRequest& stop) {
  while (!stop.Asked()) {
    if (view.WaitForDeviceGone(absencesSinceStart, dropsSinceEnd, Clock::now() + kStopCheckPeriod))
      return true;
    if (g_linkKind.load() == kUsbLinkKind && UsbDeviceGone(usb)) {
      app.Thread().Send([&app] { app.Dialog().LetGoOfUsbDevice(); });
    }
  }
  return false;
}

}  // namespace

Result<void> RunProduction(const CliOptions& options, const RunPackage& package, CQuillonApp& app,
                           ConsoleView& view, UsbBridge& usb, UnitRecorder& recorder, JobEvents* events,
                           const StopRequest& stop, std::FILE* errorOut) {
  ProductionTally tally;
  bool recordLost = false;
  std::fprintf(
      errorOut, "%s\n",
      Tr("Production run of {1}: Ctrl-C ends it after the unit in hand.", {options.package}).c_str());
  for (int unit = 1; WaitForDevice(view, stop); ++unit) {
    // Any attempt from here on that finds no device means this unit's device went away.
    const int absencesBefore = view.Absences();
    UnitStart start{.unit = unit, .package = package};
    if (!StartUnit(start, app, view, recorder, options)) {  // the link went down before the start
      --unit;
      continue;
    }
    const UnitEnd end = FinishUnit(start, app, view, recorder, options);
    // A job that lost its link: whether its device is still there is known at the next look, now.
    if (end.record.fault == "link") app.Dialog().CheckForDeviceNow();
    (end.outcome ? tally.passed : tally.failed) += 1;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", end.record.seconds);
    std::fprintf(errorOut, "%s\n",
                 Tr("Unit {1}: {2}, {3} pages, {4} s. Passed {5}, failed {6}.",
                    {std::to_string(unit), Tr(end.record.result.c_str()), std::to_string(end.record.pages),
                     seconds, std::to_string(tally.passed), std::to_string(tally.failed)})
                     .c_str());
    // A record that could not be kept ends the run: the next would be lost too.
    if (end.recordLost) {
      recordLost = true;
      break;
    }
    if (stop.Asked()) break;
    std::fprintf(errorOut, "%s\n", Tr("Take the device away and link the next one."));
    std::fflush(errorOut);
    if (events != nullptr) events->Idle(unit);
    if (!WaitForDeviceToLeave(app, view, usb, absencesBefore, end.linkDropsAtEnd, stop)) break;
    if (events != nullptr) events->Removed(unit);
  }
  std::fprintf(errorOut, "%s\n",
               Tr("Production run ended: {1} units, {2} passed, {3} failed.",
                  {std::to_string(tally.passed + tally.failed), std::to_string(tally.passed),
                   std::to_string(tally.failed)})
                   .c_str());
  if (recordLost) return Problem{ProblemKind::kOutputFailed, {}};
  if (tally.failed > 0) return Problem{ProblemKind::kJobFailed, {}};
  return {};
}

}  // namespace quillon::console
