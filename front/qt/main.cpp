// quillon: the station's window.
#include <pthread.h>

#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "cmdline/program_version.h"
#include "front/common/check_lines.h"
#include "front/common/device_setup.h"
#include "front/common/exit_codes.h"
#include "front/common/line_start.h"
#include "front/common/station_check.h"
#include "front/common/window_options.h"
#include "front/qt/line_window.h"
#include "front/qt/qt_view.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_app.h"
#include "texts/catalogue.h"

namespace {

// The signals that end a production line after its units in hand (a second one stops it now): blocked
// in every thread from the start, so that one thread of the line's own takes them.
sigset_t EndSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
  return signals;
}

// The production view: the line of the working folder's line.json and the command line.
int RunLineView(const quillon::WindowOptions& options) {
  using namespace quillon;
  const Result<LineProfile> profile = LineProfileFor(options);
  if (!profile) {
    std::fprintf(stderr, "quillon: %s\n", profile.Failure().words.c_str());
    return ExitCodeOf(profile.Failure().kind);
  }
  LineOptions lineOptions;
  if (options.json) lineOptions.events = stdout;
  qt::LineWindow window(*profile, lineOptions, [] { QApplication::quit(); });
  if (!window.OpenProblem().empty()) std::fprintf(stderr, "quillon: %s\n", window.OpenProblem().c_str());
  std::thread([&window] {
    const sigset_t signals = EndSignals();
    for (int signal = 0; sigwait(&signals, &signal) == 0;) {
      QMetaObject::invokeMethod(
          &window, [&window] { window.EndAfterUnitsInHand(); }, Qt::QueuedConnection);
    }
  }).detach();
  window.resize(1366, 768);
  window.show();
  bool screenshotSaved = true;
  if (!options.screenshotFile.empty()) {
    QTimer::singleShot(0, &window, [&] {
      screenshotSaved = window.grab().save(QString::fromStdString(options.screenshotFile), "PNG");
      window.EndAfterUnitsInHand();
      if (window.OpenProblem().empty() == false) QApplication::quit();
    });
  }
  QApplication::exec();
  return screenshotSaved ? kExitWriteComplete : ExitCodeOf(ProblemKind::kOutputFailed);
}

bool Given(int argc, char** argv, const char* option, const char* alias = nullptr) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], option) == 0 || (alias != nullptr && std::strcmp(argv[i], alias) == 0))
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon;
  SetLanguage(SystemLanguage());  // --lang may change it

  // Before Qt starts, so that the help and the version need no display.
  if (Given(argc, argv, "--help", "-h")) {
    std::fputs(WindowUsage().c_str(), stdout);
    std::fputs("Qt's own options (-platform, -style, ...) are taken as well.\n", stdout);
    return 0;
  }
  if (Given(argc, argv, "--version")) {
    std::printf("%s\n", VersionLine("quillon").c_str());
    return 0;
  }

  // Before Qt starts any thread (a production line takes them on a thread of its own); the main window
  // lets them end it as before.
  const sigset_t endSignals = EndSignals();
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
  QApplication application(argc, argv);  // takes its own options out of argv
  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1))
    arguments.push_back(argument.toStdString());
  const Result<WindowOptions> options = ParseWindowOptions(arguments);
  if (!options) {
    std::fprintf(stderr, "quillon: %s\nTry 'quillon --help'.\n", options.Failure().words.c_str());
    return ExitCodeOf(options.Failure().kind);
  }
  if (options->line) return RunLineView(*options);
  pthread_sigmask(SIG_UNBLOCK, &endSignals, nullptr);
  const QString screenshotFile = QString::fromStdString(options->screenshotFile);
  const int buttonToPress = options->buttonToPress;
  Result<std::unique_ptr<DeviceSetup>> made = DeviceSetup::Create(options->device);
  if (!made) {
    std::fprintf(stderr, "quillon: %s\n", made.Failure().words.c_str());
    return ExitCodeOf(made.Failure().kind);
  }
  std::unique_ptr<DeviceSetup> device = std::move(*made);
  // The window ends when the model ends the dialog, not when its last window happens to close.
  QApplication::setQuitOnLastWindowClosed(false);

  qt::QtView view;
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = device->ConnectWorker();
  CQuillonApp app(view, device->Usb(), std::move(workers));
  view.Attach(&app);
  view.OfferStationCheck([&app, choice = options->device] {
    const std::vector<CheckResult> results = CheckRunningStation(app, "quillon", choice);
    return CheckLines(results);
  });
  if (buttonToPress != 0) view.PressWhenEnabled(buttonToPress);
  view.OnEnded([] { QApplication::quit(); });
  app.Start();
  device->WatchDevices([&app] { app.Dialog().CheckForDeviceNow(); });
  // Once the dialog's initialisation has run, what it showed is already queued to this thread, and the
  // job buttons wait for a link.
  app.Thread().Send([] {});
  view.show();

  bool screenshotSaved = true;
  if (!screenshotFile.isEmpty()) {
    // The grab, queued after what the initialisation showed, sees the window as the operator first does.
    QTimer::singleShot(0, &view, [&] {
      screenshotSaved = view.grab().save(screenshotFile, "PNG");
      if (!screenshotSaved) {
        std::fprintf(stderr, "quillon: cannot write '%s'\n", screenshotFile.toLocal8Bit().constData());
      }
      app.PostClick(kIdExit);
    });
  }

  QApplication::exec();
  app.WaitForEnd();
  EndProcess(app, screenshotSaved ? kExitWriteComplete : ExitCodeOf(ProblemKind::kOutputFailed),
             [&] { device.reset(); });
}
