// quillon-cli: the station on a console, for scripts and production lines.
#include <cstdio>
#include <string>
#include <vector>

#include "app/console/cli_options.h"
#include "app/console/console_platform.h"
#include "app/console/console_view.h"
#include "app/console/ports_command.h"
#include "app/console/write_command.h"
#include "app/device_setup.h"
#include "app/quillon_app.h"
#include "program/station_jobs.h"

int main(int argc, char** argv) {
  using namespace quillon;
  using namespace quillon::console;

  PrepareConsoleOutput();
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
  std::unique_ptr<DeviceSetup> device = DeviceSetup::Create(options->device, error);
  if (!device) {
    std::fprintf(stderr, "quillon-cli: %s\n", error.c_str());
    return kExitNoDevice;
  }
  if (options->command == CliCommand::kPorts) return ListPorts(device->Ports(), device->Usb(), stdout);

  ConsoleView view(stdout, stderr, StandardOutputIsTerminal(), kProgressUpper);
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = device->ConnectWorker();
  CQuillonApp app(view, device->Usb(), std::move(workers));
  std::fprintf(stderr, "Device: %s\n", device->Description().c_str());
  app.Start();
  const int exitCode = RunWrite(*options, app, view, stderr);
  EndProcess(app, exitCode, [&] {
    app.Dialog().m_port.Stop();
    device.reset();
  });
}
