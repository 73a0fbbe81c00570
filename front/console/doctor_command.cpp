#include "front/console/doctor_command.h"

#include <chrono>
#include <memory>
#include <vector>

#include "front/common/check_lines.h"
#include "front/common/device_setup.h"
#include "front/common/exit_codes.h"
#include "front/common/station_check.h"
#include "front/console/console_view.h"
#include "line/json_text.h"
#include "station/dialog_controls.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_app.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

class Report {
 public:
  Report(std::FILE* out, bool json) : m_out(out), m_json(json) {}

  void Add(const std::vector<CheckResult>& results) {
    for (const CheckResult& result : results) Add(result);
  }
  void Add(const CheckResult& result) {
    m_failed = m_failed || result.verdict == CheckVerdict::kFail;
    const std::string line = m_json ? JsonObject()
                                          .Add("check", result.check)
                                          .Add("result", VerdictName(result.verdict))
                                          .Add("what", result.what)
                                          .Add("found", result.found)
                                          .Add("fix", result.fix)
                                          .Text()
                                    : CheckLine(result);
    std::fprintf(m_out, "%s\n", line.c_str());
    // Each line as it is known: the live check may take seconds.
    std::fflush(m_out);
  }
  int ExitCode() const { return m_failed ? kExitJobFailed : kExitWriteComplete; }

 private:
  std::FILE* m_out;
  bool m_json;
  bool m_failed = false;
};

}  // namespace

int RunDoctor(const CliOptions& options, std::span<const SetupCheck> checks, std::FILE* out,
              std::FILE* errorOut) {
  Report report(out, options.json);
  report.Add(StationResult("quillon-cli"));
  std::vector<CheckResult> found;
  for (const SetupCheck& check : checks) {
    std::vector<CheckResult> results = check();
    report.Add(results);
    found.insert(found.end(), results.begin(), results.end());
  }
  const DeviceChoice& choice = options.device;
  if (choice.source == DeviceChoice::Source::kPort) {
    const CheckResult port = CheckNamedPort(choice.portPath);
    report.Add(port);
    if (port.verdict != CheckVerdict::kPass) return report.ExitCode();  // nothing to link: said above
  } else if (choice.source == DeviceChoice::Source::kHardware && !DeviceExpected(found)) {
    report.Add(NoDeviceToTry());
    return report.ExitCode();
  }

  Result<std::unique_ptr<DeviceSetup>> made = DeviceSetup::Create(choice);
  if (!made) {
    report.Add({"link", CheckVerdict::kFail, Tr("Link to the ID writer"), made.Failure().words, {}});
    return report.ExitCode();
  }
  std::unique_ptr<DeviceSetup> device = std::move(*made);
  // The station's own words (the status line, the ports it saw) go to errorOut, beside the lines.
  ConsoleView view(errorOut, errorOut, false, kProgressUpper);
  view.Silence();
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = device->ConnectWorker(errorOut);
  CQuillonApp app(view, device->Usb(), std::move(workers));
  app.Start();
  device->WatchDevices([&app] { app.Dialog().CheckForDeviceNow(); });
  const bool linked = view.WaitUntilEnabled(
      kJobButtonIds.front(), std::chrono::steady_clock::now() + std::chrono::seconds(options.waitSeconds));
  report.Add(LiveResults(app, linked, view.LinkStatus(), [] { return std::chrono::steady_clock::now(); }));
  EndProcess(app, report.ExitCode(), [&] { device.reset(); });
}

}  // namespace quillon::console
