// The live check of a linked device: one page read back a few times, never written, and what that says
// of an exchange with the device and of the page rate a writing job should reach, set against what the
// line allows. A writing job's page is a write-address frame, eight chunks and the read-back address,
// each acknowledged (the station awaits the first 9 of its 39 bytes), and eight read requests, each
// answered in full (39 bytes); every command is 39 bytes out, at 10 bits a byte on the wire.
#pragma once

#include <chrono>
#include <vector>

#include "link/diagnosis/check_result.h"
#include "link/link_status.h"
#include "station/jobs/device_check.h"
#include "station/quillon_app.h"
#include "texts/problem.h"

namespace quillon {

// The rounds timed: enough that one late wake-up of a thread does not decide the figure.
inline constexpr int kRoundTripRounds = 24;

struct RoundTripFigures {
  std::chrono::nanoseconds acknowledged{0};  // an acknowledged exchange (the median)
  std::chrono::nanoseconds answered{0};      // an answered one
  double pagesPerSecond = 0;                 // what a writing job should reach
  double linePagesPerSecond = 0;             // what the line allows at its speed; 0 over USB
};

// The pages a second a writing job reaches at `baud` when the device answers at once and nothing else
// takes time.
double LinePagesPerSecond(int baud);
// A writing page is ten acknowledged exchanges and eight answered ones, each as long as those measured.
// baud 0: USB, which has no line to set it against.
RoundTripFigures PredictPageRate(std::chrono::nanoseconds acknowledged, std::chrono::nanoseconds answered,
                                 int baud);

struct RoundTrip {
  DeviceLink link;
  RoundTripFigures figures;
};

// Reads the first page back on a linked station, as a job of its own, and times it by `now`. A problem
// when the station takes no job now or the link fails.
Result<RoundTrip> MeasureRoundTrip(CQuillonApp& app, const TimeBase& now, int rounds = kRoundTripRounds);

// The lines of the live check: the link and its handshake, the round trip and the rate it predicts.
std::vector<CheckResult> RoundTripResults(const RoundTrip& trip);

}  // namespace quillon
