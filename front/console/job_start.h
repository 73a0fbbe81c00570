// How the console starts a job: once the watchdog has linked a device and the station takes jobs.
#pragma once

#include <cstdio>
#include <functional>

#include "front/console/console_view.h"
#include "line/stop_request.h"
#include "station/quillon_app.h"

namespace quillon::console {

// Waits up to waitSeconds for the job buttons to come up. kExitWriteComplete once they are,
// kExitNoDevice when no device came in time, kExitInterrupted when asked to stop first.
int WaitUntilLinked(int waitSeconds, ConsoleView& view, const StopRequest& stop, std::FILE* errorOut);

// Waits as WaitUntilLinked, then starts the job; again when the link went down between the two.
// kExitWriteComplete once it started, kExitJobFailed when the station was busy.
int StartWhenLinked(const std::function<PressOutcome()>& start, int waitSeconds, ConsoleView& view,
                    const StopRequest& stop, std::FILE* errorOut);

}  // namespace quillon::console
