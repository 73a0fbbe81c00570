// quillon.exe: the station's window on Windows.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cmdline/program_version.h"
#include "front/common/check_lines.h"
#include "front/common/device_setup.h"
#include "front/common/exit_codes.h"
#include "front/common/line_start.h"
#include "front/common/program_arguments.h"
#include "front/common/station_check.h"
#include "front/common/window_options.h"
#include "front/win32/line_window.h"
#include "front/win32/win32_view.h"
#include "front/win32/window_image.h"
#include "link/os/wide_text.h"
#include "link/usb/shared_library.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_app.h"
#include "texts/catalogue.h"

namespace {

using namespace quillon;

// A window program has no console of its own: what it has to say goes to the standard streams it was
// given (a console or a pipe), or into a message box when there are none.
void Tell(const std::string& text, bool isError) {
  const HANDLE stream = ::GetStdHandle(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (stream != nullptr && stream != INVALID_HANDLE_VALUE) {
    std::fputs(text.c_str(), isError ? stderr : stdout);
    std::fflush(isError ? stderr : stdout);
    return;
  }
  ::MessageBoxW(nullptr, WideText(text).c_str(), L"quillon",
                MB_OK | (isError ? MB_ICONERROR : MB_ICONINFORMATION));
}

// The production view: the line of the working folder's line.json and the command line.
int RunLineView(const WindowOptions& options) {
  const Result<LineProfile> profile = LineProfileFor(options);
  if (!profile) {
    Tell("quillon: " + profile.Failure().words + "\n", true);
    return ExitCodeOf(profile.Failure().kind);
  }
  LineOptions lineOptions;
  if (options.json) lineOptions.events = stdout;
  win32::LineWindow window(*profile, lineOptions);
  bool screenshotSaved = true;
  window.RunWhenShown([&] {
    if (!window.OpenProblem().empty()) Tell("quillon: " + window.OpenProblem() + "\n", true);
    if (options.screenshotFile.empty()) return;
    screenshotSaved = win32::SaveWindowImage(window.Window(), WideText(options.screenshotFile));
    window.EndAfterUnitsInHand();
    if (window.Model() == nullptr) ::DestroyWindow(window.Window());
  });
  if (!window.Run()) {
    Tell("quillon: the window could not be shown\n", true);
    return kExitJobFailed;
  }
  return screenshotSaved ? kExitWriteComplete : ExitCodeOf(ProblemKind::kOutputFailed);
}

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearch();
  SetLanguage(SystemLanguage());  // --lang may change it
  const Result<WindowOptions> parsed = ParseWindowOptions(ProgramArguments(argc, argv));
  if (!parsed) {
    Tell("quillon: " + parsed.Failure().words + "\nTry 'quillon --help'.\n", true);
    return ExitCodeOf(parsed.Failure().kind);
  }
  const WindowOptions& options = *parsed;
  if (options.help) {
    Tell(WindowUsage(), false);
    return 0;
  }
  if (options.version) {
    Tell(VersionLine("quillon") + "\n", false);
    return 0;
  }
  if (options.line) return RunLineView(options);
  Result<std::unique_ptr<DeviceSetup>> made = DeviceSetup::Create(options.device);
  if (!made) {
    Tell("quillon: " + made.Failure().words + "\n", true);
    return ExitCodeOf(made.Failure().kind);
  }
  std::unique_ptr<DeviceSetup> device = std::move(*made);

  win32::Win32View view;
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = device->ConnectWorker();
  CQuillonApp app(view, device->Usb(), std::move(workers));
  view.Attach(&app);
  view.OfferStationCheck([&app, choice = options.device] {
    const std::vector<CheckResult> results = CheckRunningStation(app, "quillon", choice);
    return CheckLines(results);
  });
  if (options.buttonToPress != 0) view.PressWhenEnabled(options.buttonToPress);
  app.Start();
  device->WatchDevices([&app] { app.Dialog().CheckForDeviceNow(); });
  // Once the dialog's initialisation has run, what it showed is already queued to the window, and the
  // job buttons wait for a link.
  app.Thread().Send([] {});
  bool screenshotSaved = options.screenshotFile.empty();
  if (!options.screenshotFile.empty()) {
    // After what the initialisation showed: the window as the operator first sees it.
    view.RunWhenShown([&] {
      screenshotSaved = win32::SaveWindowImage(view.Window(), WideText(options.screenshotFile));
      app.PostClick(kIdExit);
    });
  }
  const bool shown = view.Run();
  if (!shown) {
    Tell("quillon: the window could not be shown\n", true);
    app.PostClick(kIdExit);
  }
  app.WaitForEnd();
  if (shown && !screenshotSaved) Tell("quillon: cannot write the screenshot\n", true);
  EndProcess(app, shown && screenshotSaved ? kExitWriteComplete : kExitJobFailed, [&] { device.reset(); });
}
