// The whole check of a station, shared by quillon-cli doctor and both windows' "Check this station…":
// what the station is, the system's set-up around it, and with a device linked the live round trip.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "front/common/device_choice.h"
#include "link/diagnosis/check_result.h"
#include "station/jobs/device_check.h"
#include "station/quillon_app.h"

namespace quillon {

// The program's version, its width and the language it speaks.
CheckResult StationResult(std::string_view program);
std::vector<CheckResult> RunSetupChecks(std::span<const SetupCheck> checks);
// A port the operator named, opened as the station opens it.
CheckResult CheckNamedPort(const std::string& path);
// Whether the system's checks found a device the station could link: an adapter with a port, or a
// device behind the USB library.
bool DeviceExpected(std::span<const CheckResult> results);

// The live lines: with the station linked, the link and the round trip measured on it; without, why
// there is no link (the status line's words).
std::vector<CheckResult> LiveResults(CQuillonApp& app, bool linked, const std::string& linkStatus,
                                     const TimeBase& now);
// The live line when no device was named or found.
CheckResult NoDeviceToTry();

// What a window's "Check this station…" lists: all of the above on the station as it runs, linked or
// not. Takes up to a few seconds with a device: run it off the window's thread.
std::vector<CheckResult> CheckRunningStation(CQuillonApp& app, std::string_view program,
                                             const DeviceChoice& choice);

}  // namespace quillon
