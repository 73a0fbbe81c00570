// How soon the station links a device plugged in, and notices it taken away: the simulated device is
// plugged in behind a `--port` path again and again, and the station (the dialog with the programs'
// own timings, set up as the front ends set it up) links it. Insertion runs from the port appearing to
// the station's handshake reaching the device; removal from the cable pulled to the job buttons going
// off (what a production run waits for). Not a test: it prints the figures.
//
//   insertion_bench [--rounds N] [--watchdog-only]
//
// --watchdog-only leaves the device watcher out: the station then finds the device at its watchdog's
// checks alone, as it did before it was told of devices.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "front/common/device_setup.h"
#include "link/os/temporary_directory.h"
#include "sim/pty_device.h"
#include "station/dialog_controls.h"
#include "station/quillon_app.h"
#include "station/silent_view.h"

namespace {

using Clock = std::chrono::steady_clock;
using quillon::CQuillonDlg;

// How often a wait looks: fine against the latencies measured, light on the processor.
constexpr std::chrono::microseconds kLookPeriod{200};
constexpr std::chrono::seconds kGiveUp{30};

template <typename Condition>
bool WaitFor(Condition condition) {
  const auto deadline = Clock::now() + kGiveUp;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(kLookPeriod);
  }
  return true;
}

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

void Report(const char* what, std::vector<double> seconds) {
  std::ranges::sort(seconds);
  const std::size_t n = seconds.size();
  const double median = n % 2 == 1 ? seconds[n / 2] : (seconds[n / 2 - 1] + seconds[n / 2]) / 2;
  std::printf("%-9s over %zu: median %.3f s, min %.3f s, max %.3f s\n", what, n, median, seconds.front(),
              seconds.back());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon;
  int rounds = 20;
  bool watch = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--watchdog-only") == 0) {
      watch = false;
    } else if (std::strncmp(argv[i], "--benchmark", 11) == 0) {
      // scripts/bench.sh hands every benchmark the options meant for Google Benchmark's.
    } else {
      std::fprintf(stderr, "usage: insertion_bench [--rounds N] [--watchdog-only]\n");
      return 2;
    }
  }

  TemporaryDirectory folder("quillon-insertion");
  if (!folder.Made()) return 1;
  const std::filesystem::path tty = folder.Path() / "tty";
  Result<std::unique_ptr<DeviceSetup>> made =
      DeviceSetup::Create({.source = DeviceChoice::Source::kPort, .portPath = tty.string()});
  if (!made) {
    std::fprintf(stderr, "insertion_bench: %s\n", made.Failure().words.c_str());
    return 1;
  }
  std::unique_ptr<DeviceSetup> setup = std::move(*made);
  SilentView view;
  StationWorkers workers;
  workers.connectThread = setup->ConnectWorker();
  CQuillonApp app(view, setup->Usb(), std::move(workers));
  app.Start();
  if (watch) setup->WatchDevices([&app] { app.Dialog().CheckForDeviceNow(); });
  CQuillonDlg& dlg = app.Dialog();
  const auto linked = [&dlg] { return dlg.IsControlEnabled(kIdWriteChinese); };

  std::printf("%d plug-ins at %s, %s\n", rounds, tty.c_str(),
              watch ? "the device watcher on" : "the watchdog alone");
  std::fflush(stdout);
  // Plugged in and pulled at any moment of the watchdog's five-second period, as an operator does.
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> pauseMs(0, 5000);
  std::vector<double> insertions;
  std::vector<double> removals;
  for (int round = 1; round <= rounds; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
    const auto plugged = Clock::now();
    Result<std::unique_ptr<sim::PtyDevice>> simulated = sim::PtyDevice::Create({.linkPath = tty});
    if (!simulated) {
      std::fprintf(stderr, "insertion_bench: %s\n", simulated.Failure().words.c_str());
      return 1;
    }
    std::unique_ptr<sim::PtyDevice> device = std::move(*simulated);
    const auto handshakes = [&device] {
      return device->WithEngine([](sim::DeviceEngine& engine) { return engine.Counters().handshakes; });
    };
    if (!WaitFor([&] { return handshakes() > 0; })) {
      std::fprintf(stderr, "insertion_bench: no handshake within %lld s\n",
                   static_cast<long long>(kGiveUp.count()));
      return 1;
    }
    insertions.push_back(Seconds(Clock::now() - plugged));
    if (!WaitFor(linked)) {
      std::fprintf(stderr, "insertion_bench: the device was not linked\n");
      return 1;
    }

    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
    const auto pulled = Clock::now();
    device->Unplug();
    if (!WaitFor([&] { return !linked(); })) {
      std::fprintf(stderr, "insertion_bench: the removal went unnoticed\n");
      return 1;
    }
    removals.push_back(Seconds(Clock::now() - pulled));
    std::printf("round %2d: linked %.3f s after the port appeared, let go of %.3f s after the pull\n", round,
                insertions.back(), removals.back());
    std::fflush(stdout);
    // The attempt that noticed the removal is over before the next device comes.
    WaitFor([&dlg] { return !dlg.ConnectionAttemptRunning(); });
  }
  Report("insertion", insertions);
  Report("removal", removals);
  EndProcess(app, 0, [&] { setup.reset(); });
}
