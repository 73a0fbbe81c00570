#include "front/common/round_trip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "link/frame.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

constexpr int kBitsPerByte = 10;
constexpr int kHandshakeBaud = 460800;
// What the station waits for of an acknowledgement before it sends on; the rest crosses meanwhile.
constexpr int kAwaitedAcknowledgementBytes = 9;
constexpr int kChunks = 8;
// Exchanges of a writing page: the write address, the chunks, the read-back address (each
// acknowledged), then the read requests (each answered in full).
constexpr int kAcknowledgedPerPage = 1 + kChunks + 1;
constexpr int kExchangesPerPage = kAcknowledgedPerPage + kChunks;

constexpr int kPageWireBytes = kExchangesPerPage * static_cast<int>(kFrameSize) +
                               kAcknowledgedPerPage * kAwaitedAcknowledgementBytes +
                               kChunks * static_cast<int>(kFrameSize);

using Seconds = std::chrono::duration<double>;

std::string Decimal(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// What the link does when nothing else on the system gets in its way: a thread woken late now and then
// says nothing about the device.
std::chrono::nanoseconds Median(std::vector<std::chrono::nanoseconds> times) {
  const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
  std::ranges::nth_element(times, middle);
  return *middle;
}

}  // namespace

double LinePagesPerSecond(int baud) {
  if (baud <= 0) return 0;
  return static_cast<double>(baud) / kBitsPerByte / kPageWireBytes;
}

RoundTripFigures PredictPageRate(std::chrono::nanoseconds acknowledged, std::chrono::nanoseconds answered,
                                 int baud) {
  RoundTripFigures figures{acknowledged, answered, 0, LinePagesPerSecond(baud)};
  const double pageSeconds =
      std::chrono::duration_cast<Seconds>(kAcknowledgedPerPage * acknowledged + kChunks * answered).count();
  if (pageSeconds > 0) figures.pagesPerSecond = 1 / pageSeconds;
  return figures;
}

Result<RoundTrip> MeasureRoundTrip(CQuillonApp& app, const TimeBase& now, int rounds) {
  ExchangeTimes times;
  const PressOutcome started =
      app.RunJob([&times, &now, rounds](CQuillonDlg& dlg) { times = TimeExchanges(dlg, 0, rounds, now); });
  if (started != PressOutcome::kJobStarted) {
    return Problem{ProblemKind::kNoDevice, Tr("the station has no link to the ID writer now, or a job runs")};
  }
  app.Dialog().WaitForJobWorkers();
  if (times.linkFailed || times.answered.empty()) {
    return Problem{ProblemKind::kLinkFailed, Tr("the link failed while the page was read back")};
  }
  const DeviceLink link = app.Dialog().LastLink();
  return RoundTrip{
      link, PredictPageRate(Median(times.acknowledged), Median(times.answered), link.usb ? 0 : link.baud)};
}

std::vector<CheckResult> RoundTripResults(const RoundTrip& trip) {
  std::vector<CheckResult> results;
  CheckResult link{"link", CheckVerdict::kPass, Tr("Link to the ID writer"), {}, {}};
  if (trip.link.usb) {
    link.found = Tr("over USB");
  } else if (trip.link.baud == kHandshakeBaud) {
    link.found =
        Tr("{1} at {2} baud: it answered the handshake", {trip.link.port, std::to_string(trip.link.baud)});
  } else {
    link.verdict = CheckVerdict::kFail;
    link.found = Tr("{1} at {2} baud: it did not answer the handshake at 460800 baud",
                    {trip.link.port, std::to_string(trip.link.baud)});
    link.fix =
        Tr("Its firmware talks at 115200 baud only: the station writes with it, four times slower; firmware "
           "that "
           "answers the handshake writes faster.");
  }
  results.push_back(std::move(link));

  const RoundTripFigures& figures = trip.figures;
  const auto milliseconds = [](std::chrono::nanoseconds time) {
    return Decimal(std::chrono::duration_cast<Seconds>(time).count() * 1000, 2);
  };
  const std::string exchanges = Tr("an acknowledged exchange {1} ms, an answered one {2} ms",
                                   {milliseconds(figures.acknowledged), milliseconds(figures.answered)});
  const std::string rate = Decimal(figures.pagesPerSecond, 1);
  CheckResult roundTrip{
      "round-trip", CheckVerdict::kPass, Tr("One page read back (nothing written)"), {}, {}};
  if (figures.linePagesPerSecond > 0) {
    roundTrip.found =
        Tr("{1}; a writing job should reach {2} pages/s, {3} % of the {4} pages/s the line allows "
           "at {5} baud",
           {exchanges, rate, Decimal(100 * figures.pagesPerSecond / figures.linePagesPerSecond, 0),
            Decimal(figures.linePagesPerSecond, 1), std::to_string(trip.link.baud)});
  } else {
    roundTrip.found = Tr("{1}; a writing job should reach {2} pages/s", {exchanges, rate});
  }
  results.push_back(std::move(roundTrip));
  return results;
}

}  // namespace quillon
