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
// threads that raise it do: never destroyed, so that no exit tears it down under a thread that just
// raised it.
StopRequest& g_stop = *new StopRequest;

// Until a command says otherwise, a request to stop ends the process at once, as Ctrl-C always did.
[[noreturn]] void StopNow(ConsoleSession& console) {
  console.End();
  std::fflush(nullptr);
  std::_Exit(kExitInterrupted);
}

// What write and verify read before the device hears anything: the package, once for the whole run.
Result<RunPackage> ReadPackage(const CliOptions& options) {
  Result<RunPackage> package = ReadRunPackage(options);
  if (!package) {
    // The station's own words, as its box would show them: translated here.
    return Problem{package.Failure().kind, options.package + ": " + Tr(package.Failure().words.c_str())};
  }
  if ((*package)->bytesLeftOut > 0) {
    std::fprintf(stderr, "%s\n", LeftOutBytesText((*package)->fileName, (*package)->bytesLeftOut).c_str());
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

  const Result<CliOptions> parsed = ParseCliOptions(ProgramArguments(argc, argv));
  if (!parsed) {
    std::fprintf(stderr, "quillon-cli: %s\nTry 'quillon-cli --help'.\n", parsed.Failure().words.c_str());
    return ExitCodeOf(parsed.Failure().kind);
  }
  const CliOptions& options = *parsed;
  if (options.command == CliCommand::kHelp) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitWriteComplete;
  }
  if (options.command == CliCommand::kVersion) {
    std::printf("%s\n", VersionLine("quillon-cli").c_str());
    return kExitWriteComplete;
  }
  if (options.command == CliCommand::kDoctor) {
    return RunDoctor(options, SystemSetupChecks(options.systemRoot), stdout, stderr);
  }
  // Before the device hears anything: an input or output that cannot be used ends the command here.
  const auto refuse = [](const Problem& problem) {
    if (!problem.words.empty()) std::fprintf(stderr, "quillon-cli: %s\n", problem.words.c_str());
    return ExitCodeOf(problem.kind);
  };
  std::unique_ptr<UnitLog> log;
  if (!options.logPath.empty()) {
    Result<std::unique_ptr<UnitLog>> opened = UnitLog::Open(options.logPath);
    if (!opened) return refuse(opened.Failure());
    log = std::move(*opened);
  }
  RunPackage package;
  if (options.command == CliCommand::kWrite || options.command == CliCommand::kVerify) {
    Result<RunPackage> read = ReadPackage(options);
    if (!read) return refuse(read.Failure());
    package = *read;
  }
  std::optional<ReplacedFile> readOut;
  if (options.command == CliCommand::kRead) {
    Result<ReplacedFile> created = ReplacedFile::Create(options.outPath);
    if (!created) return refuse(created.Failure());
    readOut.emplace(std::move(*created));
  }
  if (!options.gangPorts.empty()) {
    // The supervisor passes every request on to the slots, and ends when they have.
    g_stop.Listen([](StopLevel) {});
    const bool redraw = !options.json && RedrawInPlace();
    return ExitCodeOf(RunGang(options, package, log.get(), g_stop, GangOutput{stdout, stderr, redraw}));
  }
  Result<std::unique_ptr<DeviceSetup>> made = DeviceSetup::Create(options.device);
  if (!made) return refuse(made.Failure());
  std::unique_ptr<DeviceSetup> device = std::move(*made);
  if (options.command == CliCommand::kPorts) return ListPorts(device->Ports(), device->Usb(), stdout);

  ConsoleView view(stdout, stderr, StandardOutputIsTerminal(), kProgressUpper);
  if (options.quiet) view.Silence();
  std::optional<JobEvents> events;
  if (options.json) view.ReportTo(&events.emplace(stdout));
  JobEvents* eventsOut = events ? &*events : nullptr;
  std::optional<SupervisorLink> supervisor;
  if (options.gangSlot != 0) supervisor.emplace(g_stop);
  UnitRecorder recorder({.log = log.get(),
                         .events = eventsOut,
                         .supervisor = supervisor ? &*supervisor : nullptr,
                         .slot = options.gangSlot});

  StationWorkers workers = StationJobWorkers();
  // With --json, standard output carries JSON alone: the ports' names go with the other words.
  workers.connectThread = device->ConnectWorker(options.json ? stderr : stdout);
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
  Result<void> outcome;
  switch (options.command) {
    case CliCommand::kWrite:
      outcome = options.repeat ? RunProduction(options, package, app, view, device->Usb(), recorder,
                                               eventsOut, g_stop, stderr)
                               : RunWrite(options, package, app, view, recorder, g_stop, stderr);
      break;
    case CliCommand::kVerify:
      outcome = RunVerify(options, package->pages, app, view, g_stop, stderr);
      break;
    case CliCommand::kRead:
      outcome = RunRead(options, std::move(*readOut), app, view, g_stop, stderr);
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
  EndProcess(app, ExitCodeOf(outcome), [&] { device.reset(); });
}
