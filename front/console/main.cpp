// quillon-cli: the station on a console, for scripts and production lines.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cmdline/program_version.h"
#include "front/common/device_setup.h"
#include "front/common/program_arguments.h"
#include "front/console/cli_options.h"
#include "front/console/console_platform.h"
#include "front/console/console_view.h"
#include "front/console/device_check_commands.h"
#include "front/console/gang_run.h"
#include "front/console/job_events.h"
#include "front/console/ports_command.h"
#include "front/console/production_run.h"
#include "front/console/unit_log.h"
#include "front/console/write_command.h"
#include "link/shared_library.h"
#include "link/utf8_path.h"
#include "station/jobs/expected_pages.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_app.h"
#include "texts/catalogue.h"

namespace {

// Ctrl-C during a production run: the run ends after the unit in hand.
std::atomic<bool> g_stopRequested{false};

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon;
  using namespace quillon::console;

  RestrictLibrarySearch();
  SetLanguage(SystemLanguage());  // --lang may change it
  ConsoleSession console;
  std::string error;
  const auto options = ParseCliOptions(ProgramArguments(argc, argv), error);
  if (!options) {
    std::fprintf(stderr, "quillon-cli: %s\nTry 'quillon-cli --help'.\n", error.c_str());
    return kExitUsage;
  }
  if (options->command == CliCommand::kHelp) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitWriteComplete;
  }
  if (options->command == CliCommand::kVersion) {
    std::printf("%s\n", VersionLine("quillon-cli").c_str());
    return kExitWriteComplete;
  }
  // Before the device hears anything: an input or output that cannot be used ends the command here.
  std::unique_ptr<UnitLog> log;
  if (!options->logPath.empty()) {
    log = UnitLog::Open(options->logPath, error);
    if (!log) {
      std::fprintf(stderr, "quillon-cli: %s\n", error.c_str());
      return kExitInputRefused;
    }
  }
  PackagePages package;
  if (options->command == CliCommand::kVerify) {
    package = ExpectedPackagePages(options->jobButton);
    if (package.refusal) {
      std::fprintf(stderr, "quillon-cli: %s: %s\n", options->package.c_str(), Tr(package.refusal->c_str()));
      return kExitInputRefused;
    }
  }
  std::FILE* readOut = nullptr;  // RunRead closes it
  if (options->command == CliCommand::kRead) {
    readOut = OpenFile(PathFromUtf8(options->outPath), "wb");
    if (readOut == nullptr) {
      std::fprintf(stderr, "quillon-cli: cannot write %s: %s\n", options->outPath.c_str(),
                   std::strerror(errno));
      return kExitInputRefused;
    }
  }
  if (!options->gangPorts.empty()) {
    console.StopOnInterrupt(g_stopRequested);
    const bool redraw = !options->json && RedrawInPlace();
    return RunGang(*options, log.get(), g_stopRequested, GangOutput{stdout, stderr, redraw});
  }
  std::unique_ptr<DeviceSetup> device = DeviceSetup::Create(options->device, error);
  if (!device) {
    std::fprintf(stderr, "quillon-cli: %s\n", error.c_str());
    return kExitNoDevice;
  }
  if (options->command == CliCommand::kPorts) return ListPorts(device->Ports(), device->Usb(), stdout);

  ConsoleView view(stdout, stderr, StandardOutputIsTerminal(), kProgressUpper);
  if (options->quiet) view.Silence();
  std::optional<JobEvents> events;
  if (options->json) view.ReportTo(&events.emplace(stdout));
  JobEvents* eventsOut = events ? &*events : nullptr;
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = device->ConnectWorker();
  CQuillonApp app(view, device->Usb(), std::move(workers));
  std::fprintf(stderr, "Device: %s\n", device->Description().c_str());
  app.Start();
  device->WatchDevices([&app] { app.Dialog().CheckForDeviceNow(); });
  int exitCode = kExitUsage;
  switch (options->command) {
    case CliCommand::kWrite:
      if (options->repeat) {
        console.StopOnInterrupt(g_stopRequested);
        exitCode =
            RunProduction(*options, app, view, device->Usb(), log.get(), eventsOut, g_stopRequested, stderr);
      } else {
        exitCode = RunWrite(*options, app, view, eventsOut, stderr);
      }
      break;
    case CliCommand::kVerify:
      exitCode = RunVerify(*options, package.pages, app, view, stderr);
      break;
    case CliCommand::kRead:
      exitCode = RunRead(*options, readOut, app, view, stderr);
      break;
    case CliCommand::kHelp:
    case CliCommand::kVersion:
    case CliCommand::kPorts:
      break;
  }
  // What the dialog thread still shows is written before the console is put back.
  app.Thread().QuitAndWait();
  console.End();
  EndProcess(app, exitCode, [&] {
    device->StopWatching();
    app.Dialog().m_port.Stop();
    device.reset();
  });
}
