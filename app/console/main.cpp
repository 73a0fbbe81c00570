// quillon-cli: the station on a console, for scripts and production lines.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/console/cli_options.h"
#include "app/console/console_view.h"
#include "app/console/ports_command.h"
#include "app/console/write_command.h"
#include "app/quillon_app.h"
#include "link/no_usb_bridge.h"
#include "link/qt_serial_port_list.h"

int main(int argc, char** argv) {
  using namespace quillon;
  using namespace quillon::console;

  std::string error;
  const auto options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "quillon-cli: %s\nTry 'quillon-cli --help'.\n", error.c_str());
    return kExitUsage;
  }
  if (options->command == CliCommand::kHelp) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitWriteComplete;
  }
  if (options->command == CliCommand::kPorts) {
    QtSerialPortList ports;
    return ListPorts(ports, stdout);
  }

  ConsoleView view(stdout, stderr, ::isatty(STDOUT_FILENO) != 0, kProgressUpper);
  NoUsbBridge usb;
  // The workers that link a device and write its packages join as they are built.
  CQuillonApp app(view, usb, StationWorkers{});
  app.Start();
  EndProcess(app, RunWrite(*options, app, view, stderr));
}
