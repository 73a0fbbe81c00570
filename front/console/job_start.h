// How the console starts a job: once the watchdog has linked a device and the station takes jobs.
#pragma once

#include <cstdio>
#include <functional>

#include "front/console/console_view.h"
#include "line/stop_request.h"
#include "station/quillon_app.h"
#include "texts/problem.h"

namespace quillon::console {

// Waits up to waitSeconds for the job buttons to come up. Problems (said on errorOut): kNoDevice when
// no device came in time, kInterrupted when asked to stop first.
Result<void> WaitUntilLinked(int waitSeconds, ConsoleView& view, const StopRequest& stop,
                             std::FILE* errorOut);

// Waits as WaitUntilLinked, then starts the job; again when the link went down between the two.
// Problems: those of WaitUntilLinked, kJobFailed when the station was busy.
Result<void> StartWhenLinked(const std::function<PressOutcome()>& start, int waitSeconds, ConsoleView& view,
                             const StopRequest& stop, std::FILE* errorOut);

}  // namespace quillon::console
