// quillon-cli: the station on a console, for scripts and production lines.
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "cmdline/program_version.h"
#include "front/common/device_setup.h"
#include "front/common/program_arguments.h"
#include "front/console/cli_options.h"
#include "front/console/console_platform.h"
#include "front/console/console_view.h"
#include "front/console/device_check_commands.h"
#include "front/console/doctor_command.h"
#include "front/console/gang_run.h"
#include "front/console/ports_command.h"
#include "front/console/production_run.h"
#include "front/console/supervisor_link.h"
#include "front/console/unit_recorder.h"
#include "front/console/write_command.h"
#include "line/job_events.h"
#include "line/stop_request.h"
#include "line/unit_log.h"
#include "link/diagnosis/system_checks.h"
#include "link/usb/shared_library.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_app.h"
#include "texts/catalogue.h"

namespace {

using namespace quillon;
using namespace quillon::console;

// Raised by Ctrl-C, SIGTERM and SIGHUP (or a gang's supervisor); lives as long as the process, as the
// threads that raise it do.
StopRequest g_stop;

// Until a command says otherwise, a request to stop ends the process at once, as Ctrl-C always did.
[[noreturn]] void StopNow(ConsoleSession& console) {
  console.End();
  std::fflush(nullptr);
  std::_Exit(kExitInterrupted);
}

// What write and verify read before the device hears anything: the package, once for the whole run.
std::optional<RunPackage> ReadPackage(const CliOptions& options) {
  RunPackage package = ReadRunPackage(options);
  if (package->refusal) {
    std::fprintf(stderr, "quillon-cli: %s: %s\n", options.package.c_str(), Tr(package->refusal->c_str()));
    return std::nullopt;
  }
  if (package->bytesLeftOut > 0) {
    std::fprintf(stderr, "%s\n", LeftOutBytesText(package->fileName, package->bytesLeftOut).c_str());
  }
  return package;
}

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearch();
  SetLanguage(SystemLanguage());  // --lang may change it
  ConsoleSession console;
  g_stop.Listen([&console](StopLevel) { StopNow(console); });
  console.WatchInterrupts(g_stop);

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
  if (options->command == CliCommand::kDoctor) {
    return RunDoctor(*options, SystemSetupChecks(options->systemRoot), stdout, stderr);
  }
  // Before the device hears anything: an input or output that cannot be used ends the command here.
  std::unique_ptr<UnitLog> log;
  if (!options->logPath.empty()) {
    Result<std::unique_ptr<UnitLog>> opened = UnitLog::Open(options->logPath);
    if (!opened) {
      std::fprintf(stderr, "quillon-cli: %s\n", opened.Failure().words.c_str());
      return kExitInputRefused;
    }
    log = std::move(*opened);
  }
  RunPackage package;
  if (options->command == CliCommand::kWrite || options->command == CliCommand::kVerify) {
    std::optional<RunPackage> read = ReadPackage(*options);
    if (!read) return kExitInputRefused;
    package = *read;
  }
  std::optional<ReplacedFile> readOut;
  if (options->command == CliCommand::kRead) {
    Result<ReplacedFile> created = ReplacedFile::Create(options->outPath);
    if (!created) {
      std::fprintf(stderr, "quillon-cli: %s\n", created.Failure().words.c_str());
      return kExitInputRefused;
    }
    readOut.emplace(std::move(*created));
  }
  if (!options->gangPorts.empty()) {
    // The supervisor passes every request on to the slots, and ends when they have.
    g_stop.Listen([](StopLevel) {});
    const bool redraw = !options->json && RedrawInPlace();
    return RunGang(*options, package, log.get(), g_stop, GangOutput{stdout, stderr, redraw});
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
  std::optional<SupervisorLink> supervisor;
  if (options->gangSlot != 0) supervisor.emplace(g_stop);
  UnitRecorder recorder({.log = log.get(),
                         .events = eventsOut,
                         .supervisor = supervisor ? &*supervisor : nullptr,
                         .slot = options->gangSlot});

  StationWorkers workers = StationJobWorkers();
  // With --json, standard output carries JSON alone: the ports' names go with the other words.
  workers.connectThread = device->ConnectWorker(options->json ? stderr : stdout);
  CQuillonApp app(view, device->Usb(), std::move(workers));
  std::fprintf(stderr, "Device: %s\n", device->Description().c_str());
  // The first request ends the command after the job in hand; the second stops now, and the unit in
  // hand is recorded as interrupted.
  g_stop.Listen([&](StopLevel level) {
    if (level == StopLevel::kAfterUnit) {
      if (app.Dialog().JobWorkerAlive()) {
        std::fprintf(stderr, "%s\n", Tr("Ending after the unit in hand; Ctrl-C again to stop now."));
      }
      return;
    }
    const bool recorded = recorder.Interrupt([&app] {
      app.Dialog().HaltJobs();
      // The page in flight ends within its exchanges' allowances; a device that answers nothing more
      // is not waited for beyond them.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
      while (app.Dialog().JobWorkerAlive() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    });
    if (recorded)
      std::fprintf(stderr, "%s\n", Tr("Stopped now: the unit in hand is recorded as interrupted."));
    StopNow(console);
  });
  app.Start();
  // The dialog's initialisation (the speed loaded, and said when "Speed.txt" is no file) comes first,
  // however soon the command ends.
  app.Thread().Send([] {});
  device->WatchDevices([&app] { app.Dialog().CheckForDeviceNow(); });
  int exitCode = kExitUsage;
  switch (options->command) {
    case CliCommand::kWrite:
      exitCode = options->repeat ? RunProduction(*options, package, app, view, device->Usb(), recorder,
                                                 eventsOut, g_stop, stderr)
                                 : RunWrite(*options, package, app, view, recorder, g_stop, stderr);
      break;
    case CliCommand::kVerify:
      exitCode = RunVerify(*options, package->pages, app, view, g_stop, stderr);
      break;
    case CliCommand::kRead:
      exitCode = RunRead(*options, std::move(*readOut), app, view, g_stop, stderr);
      break;
    case CliCommand::kHelp:
    case CliCommand::kVersion:
    case CliCommand::kPorts:
    case CliCommand::kDoctor:
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
