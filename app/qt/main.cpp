// quillon: the station's window.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/device_setup.h"
#include "app/package_buttons.h"
#include "app/qt/qt_view.h"
#include "app/quillon_app.h"
#include "program/station_jobs.h"

namespace {

constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: quillon [--port PATH | --simulator[=usb]] [--write PACKAGE] [--screenshot FILE] [Qt options]\n"
    "The font writer station's window: writes font packages into the device's flash.\n"
    "\n"
    "  --write PACKAGE    press the package's button once a device is linked (as quillon-cli\n"
    "                     names it: chinese, korean, ...), for demonstrations\n"
    "  --screenshot FILE  save the window as a PNG image once it is shown, then exit\n"
    "  --help             show this help and exit\n";

bool WantsHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon;

  // Before Qt starts, so that the help needs no display.
  if (WantsHelp(argc, argv)) {
    std::fputs(kUsage, stdout);
    std::fputs(DeviceOptionsHelp(), stdout);
    return 0;
  }

  QApplication application(argc, argv);  // takes its own options out of argv
  QString screenshotFile;
  int buttonToPress = 0;
  DeviceChoice deviceChoice;
  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments()) arguments.push_back(argument.toStdString());
  std::string error;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const DeviceOptionMatch match = TakeDeviceOption(arguments, i, deviceChoice, error);
    if (match == DeviceOptionMatch::kTaken) continue;
    if (match == DeviceOptionMatch::kMalformed) {
      std::fprintf(stderr, "quillon: %s\nTry 'quillon --help'.\n", error.c_str());
      return kExitUsage;
    }
    if (arguments[i] == "--screenshot" && i + 1 < arguments.size()) {
      screenshotFile = QString::fromStdString(arguments[++i]);
    } else if (arguments[i] == "--write" && i + 1 < arguments.size()) {
      buttonToPress = PackageButtonId(arguments[++i]);
      if (buttonToPress == 0) {
        std::fprintf(stderr, "quillon: unknown package %s\nTry 'quillon --help'.\n", arguments[i].c_str());
        return kExitUsage;
      }
    } else {
      std::fprintf(stderr, "quillon: unknown argument '%s'\nTry 'quillon --help'.\n", arguments[i].c_str());
      return kExitUsage;
    }
  }
  std::unique_ptr<DeviceSetup> device = DeviceSetup::Create(deviceChoice, error);
  if (!device) {
    std::fprintf(stderr, "quillon: %s\n", error.c_str());
    return 1;
  }
  // The window ends when the model ends the dialog, not when its last window happens to close.
  QApplication::setQuitOnLastWindowClosed(false);

  qt::QtView view;
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = device->ConnectWorker();
  CQuillonApp app(view, device->Usb(), std::move(workers));
  view.Attach(&app);
  if (buttonToPress != 0) view.PressWhenEnabled(buttonToPress);
  view.OnEnded([] { QApplication::quit(); });
  app.Start();
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
  EndProcess(app, screenshotSaved ? 0 : 1, [&] {
    app.Dialog().m_port.Stop();
    device.reset();
  });
}
