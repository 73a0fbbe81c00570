// How well the doctor's round trip foretells a writing job's page rate: the simulated device at an
// emulated 460800 baud, through the real serial driver on a pty, is measured by the round trip and
// then written page by page as a writing job writes. Not a test: it prints both figures and how far
// apart they are (the goal is within a tenth).
//
//   round_trip_bench [--rounds N]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "front/common/round_trip.h"
#include "link/ports/given_port_list.h"
#include "link/usb/no_usb_bridge.h"
#include "sim/pty_device.h"
#include "station/connection/discovery.h"
#include "station/jobs/station_jobs.h"
#include "station/shared_state.h"
#include "station/silent_view.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace quillon;

constexpr std::uint32_t kBaud = 460800;
constexpr int kWrittenPages = 60;

bool LinkedWithin(CQuillonApp& app, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!app.Dialog().IsControlEnabled(kIdWriteChinese)) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Pages written and verified one after another, as a writing job writes them: the pages a second of
// the median page, as the round trip takes the median of its exchanges. 0 when a page failed.
double WritingJobRate(CQuillonApp& app) {
  std::vector<double> seconds;
  bool written = true;
  const PressOutcome started = app.RunJob([&](CQuillonDlg& dlg) {
    for (int page = 0; page < kWrittenPages && written; ++page) {
      for (std::size_t i = 0; i < kPageSize; ++i) g_pageBuffer[i] = static_cast<std::uint8_t>(page * 3 + i);
      g_pageAddress.store(static_cast<std::uint32_t>(page * kPageSize));
      const auto start = Clock::now();
      written = dlg.ProgramPage() == 0;
      seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    g_jobBusy.store(0);
  });
  if (started != PressOutcome::kJobStarted) return 0;
  app.Dialog().WaitForJobWorkers();
  if (!written) return 0;
  std::ranges::nth_element(seconds, seconds.begin() + static_cast<std::ptrdiff_t>(seconds.size() / 2));
  return 1 / seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 5;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strncmp(argv[i], "--benchmark", 11) != 0) {  // scripts/bench.sh passes these on
      std::fprintf(stderr, "usage: round_trip_bench [--rounds N]\n");
      return 2;
    }
  }
  Result<std::unique_ptr<sim::PtyDevice>> device = sim::PtyDevice::Create({.emulatedBaud = kBaud});
  if (!device) {
    std::fprintf(stderr, "round_trip_bench: %s\n", device.Failure().words.c_str());
    return 1;
  }
  GivenPortList ports((*device)->SlavePath());
  SilentView view;
  NoUsbBridge usb;
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = ConnectWorker(ports);
  CQuillonApp app(view, usb, std::move(workers));
  app.Start();
  app.Thread().Send([] {});  // the dialog's initialisation has run: the buttons wait for a link
  int status = 0;
  if (!LinkedWithin(app, std::chrono::seconds(10))) {
    std::fprintf(stderr, "round_trip_bench: the simulated device was not linked\n");
    status = 1;
  }
  // Each round alternates the two, so that other work on the machine slows both alike.
  for (int round = 0; round < rounds && status == 0; ++round) {
    const Result<RoundTrip> trip = MeasureRoundTrip(app, [] { return Clock::now(); });
    const double reached = trip ? WritingJobRate(app) : 0;
    if (!trip || reached == 0) {
      std::fprintf(stderr, "round_trip_bench: %s\n",
                   trip ? "a page was not written" : trip.Failure().words.c_str());
      status = 1;
      break;
    }
    const double predicted = trip->figures.pagesPerSecond;
    std::printf(
        "round %d: acknowledged %.3f ms, answered %.3f ms, predicts %.1f pages/s; a job reached %.1f "
        "(%+.1f %%, line %.1f)\n",
        round + 1, std::chrono::duration<double, std::milli>(trip->figures.acknowledged).count(),
        std::chrono::duration<double, std::milli>(trip->figures.answered).count(), predicted, reached,
        100 * (predicted - reached) / reached, trip->figures.linePagesPerSecond);
  }
  app.Thread().QuitAndWait();
  app.Dialog().m_port.Stop();
  return status;
}
