// quillon: the station's window.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/qt/qt_view.h"
#include "app/quillon_app.h"
#include "link/no_usb_bridge.h"

namespace {

constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: quillon [--screenshot FILE] [Qt options]\n"
    "The font writer station's window: writes font packages into the device's flash.\n"
    "\n"
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
    return 0;
  }

  QApplication application(argc, argv);  // takes its own options out of argv
  QString screenshotFile;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--screenshot") && i + 1 < arguments.size()) {
      screenshotFile = arguments[++i];
    } else {
      std::fprintf(stderr, "quillon: unknown argument '%s'\nTry 'quillon --help'.\n",
                   arguments[i].toLocal8Bit().constData());
      return kExitUsage;
    }
  }
  // The window ends when the model ends the dialog, not when its last window happens to close.
  QApplication::setQuitOnLastWindowClosed(false);

  qt::QtView view;
  NoUsbBridge usb;
  // The workers that link a device and write its packages join as they are built; until then the
  // watchdog finds nothing to start and the job buttons stay disabled.
  CQuillonApp app(view, usb, StationWorkers{});
  view.Attach(&app);
  view.OnEnded([] { QApplication::quit(); });
  app.Start();
  view.show();

  bool screenshotSaved = true;
  if (!screenshotFile.isEmpty()) {
    // Once the dialog's initialisation has run, what it showed is already queued to this thread; the
    // grab, queued after it, sees the window as the operator first does.
    app.Thread().Send([] {});
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
  EndProcess(app, screenshotSaved ? 0 : 1);
}
