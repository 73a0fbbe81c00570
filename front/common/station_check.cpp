#include "front/common/station_check.h"

#include <algorithm>
#include <chrono>

#include "cmdline/program_version.h"
#include "front/common/round_trip.h"
#include "link/diagnosis/port_check.h"
#include "link/diagnosis/system_checks.h"
#include "link/ports/given_port_list.h"
#include "link/usb/library_width.h"
#include "station/dialog_controls.h"
#include "texts/catalogue.h"

namespace quillon {

CheckResult StationResult(std::string_view program) {
  const char* language = CurrentLanguage() == Language::kEnglish ? "en" : "zh_CN";
  return {"station",
          CheckVerdict::kPass,
          Tr("This station"),
          Tr("{1}, {2}-bit; its language: {3}",
             {VersionLine(program), std::to_string(kProgramWidthBits), language}),
          {}};
}

std::vector<CheckResult> RunSetupChecks(std::span<const SetupCheck> checks) {
  std::vector<CheckResult> results;
  for (const SetupCheck& check : checks) {
    for (CheckResult& result : check()) results.push_back(std::move(result));
  }
  return results;
}

CheckResult CheckNamedPort(const std::string& path) {
  // Opened where the station opens it: COM41 on Windows is \\.\COM41.
  GivenPortList given(path);
  const std::vector<SerialPortEntry> entries = given.Ports();
  const bool listed = !entries.empty() && !entries.front().systemLocation.empty();
  return CheckPortOpens(path, ProbePort(listed ? entries.front().systemLocation : path));
}

bool DeviceExpected(std::span<const CheckResult> results) {
  return std::ranges::any_of(results, [](const CheckResult& result) {
    return result.verdict == CheckVerdict::kPass &&
           (result.check == "ch340-adapter" || result.check == "usb-device");
  });
}

std::vector<CheckResult> LiveResults(CQuillonApp& app, bool linked, const std::string& linkStatus,
                                     const TimeBase& now) {
  if (!linked) {
    return {{"link", CheckVerdict::kFail, Tr("Link to the ID writer"), Tr("none: {1}", {linkStatus}),
             Tr("Mend what the lines above say, or plug the ID writer in, then check again.")}};
  }
  const Result<RoundTrip> trip = MeasureRoundTrip(app, now);
  if (!trip) {
    return {{"round-trip", CheckVerdict::kFail, Tr("One page read back (nothing written)"),
             trip.Failure().words, Tr("Plug the ID writer in again, then check again.")}};
  }
  return RoundTripResults(*trip);
}

CheckResult NoDeviceToTry() {
  return {"link",
          CheckVerdict::kNothingToCheck,
          Tr("Link to the ID writer"),
          Tr("nothing to link: no adapter with a port, no USB device (--port names one)"),
          {}};
}

std::vector<CheckResult> CheckRunningStation(CQuillonApp& app, std::string_view program,
                                             const DeviceChoice& choice) {
  std::vector<CheckResult> results{StationResult(program)};
  const std::vector<CheckResult> system = RunSetupChecks(SystemSetupChecks());
  results.insert(results.end(), system.begin(), system.end());
  const bool linked = app.Dialog().IsControlEnabled(kJobButtonIds.front());
  // A port the station has linked is its own: opened again, it would be busy.
  if (choice.source == DeviceChoice::Source::kPort && !linked)
    results.push_back(CheckNamedPort(choice.portPath));
  if (!linked && choice.source == DeviceChoice::Source::kHardware && !DeviceExpected(system)) {
    results.push_back(NoDeviceToTry());
    return results;
  }
  const std::vector<CheckResult> live =
      LiveResults(app, linked, app.Dialog().LinkStatus(), [] { return std::chrono::steady_clock::now(); });
  results.insert(results.end(), live.begin(), live.end());
  return results;
}

}  // namespace quillon
