// A whole font file job over a pty, against the device simulator in a process of its own emulating
// 460800 baud: pages per second against what the wire allows, and the station's processor time per
// page (this process holds only the station: its dialog thread, serial monitor and job worker). The
// same pages exchanged by a bare loop on the same tty give the ceiling of the set-up. Each runs with
// the station and the device on processors of their own, as with a real device, and shared; and with
// the device's bytes reaching the station one by one as they cross the wire, and in a CH340's USB
// packets (up to 32 bytes once per 1 ms frame). StationAgainstBareLoop sets the two side by side at the
// answer delays a real device may have.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "bench/bare_exchanges.h"
#include "bench/device_process.h"
#include "link/os/temporary_directory.h"
#include "link/ports/given_port_list.h"
#include "link/usb/no_usb_bridge.h"
#include "station/connection/discovery.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_app.h"
#include "station/shared_state.h"
#include "station/silent_view.h"

namespace quillon {
namespace {

using bench::ByteDelivery;
using bench::DeviceProcess;
using bench::Placement;
using bench::RunBareExchanges;
using bench::StationPlacement;

namespace fs = std::filesystem;

constexpr int kPages = 400;
constexpr unsigned kBaud = 460800;
// Each page: 18 frames of 39 bytes out; ten acknowledgements of which the station awaits 9 bytes and
// eight replies of 39 bytes in. 10 bits a byte on the wire.
constexpr double kWirePagesPerSecond = kBaud / 10.0 / (18 * 39 + 10 * 9 + 8 * 39);

double ProcessorSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Records of 32 bytes, eight a page, an extended address wherever the upper 16 bits change.
void WritePackage(const fs::path& path, int pages) {
  std::ofstream file(path);
  char line[96];
  for (std::uint32_t address = 0; address < static_cast<std::uint32_t>(pages) * kPageSize; address += 32) {
    if ((address & 0xFFFF) == 0) {
      const unsigned upper = address >> 16;
      std::snprintf(line, sizeof line, ":02000004%04X%02X\n", upper,
                    static_cast<unsigned>(-(2 + 4 + (upper >> 8) + (upper & 0xFF)) & 0xFF));
      file << line;
    }
    unsigned sum = 32 + ((address >> 8) & 0xFF) + (address & 0xFF);
    std::snprintf(line, sizeof line, ":20%04X00", address & 0xFFFF);
    file << line;
    for (int i = 0; i < 32; ++i) {
      const unsigned byte = (address + i) * 7 & 0xFF;
      sum += byte;
      std::snprintf(line, sizeof line, "%02X", byte);
      file << line;
    }
    std::snprintf(line, sizeof line, "%02X\n", -sum & 0xFF);
    file << line;
  }
  file << ":00000001FF\n";
}

Placement PlacementOf(const benchmark::State& state) {
  return state.range(0) != 0 ? Placement::kOwnProcessors : Placement::kShared;
}

ByteDelivery DeliveryOf(const benchmark::State& state) {
  return state.range(1) != 0 ? ByteDelivery::kUsbPackets : ByteDelivery::kByByte;
}

// One whole job an iteration, timed by the clock on the wall, three times for each placement and each
// delivery of the device's bytes.
void InBothPlacementsAndDeliveries(benchmark::internal::Benchmark* registration) {
  registration->ArgNames({"own_processors", "usb_packets"})->ArgsProduct({{1, 0}, {0, 1}});
  registration->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3);
}

void CountPages(benchmark::State& state, double seconds) {
  state.SetIterationTime(seconds);
  state.counters["pages_per_s"] = kPages / seconds;
  state.counters["wire_percent"] = 100 * kPages / seconds / kWirePagesPerSecond;
}

struct JobRun {
  double seconds = 0;
  double processorSeconds = 0;  // the station's, all its threads
};

// One whole font file job of the station, from the press to its workers' end, on the device behind
// `tty`; the package is "flash.txt" in the working directory. Nothing when the job did not start.
std::optional<JobRun> RunStationJob(const fs::path& tty, const DeviceProcess& device) {
  GivenPortList ports(tty.string());
  SilentView view;
  NoUsbBridge usb;
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = ConnectWorker(ports);
  StationTiming timing;
  timing.openJobPause = std::chrono::milliseconds(0);
  CQuillonApp app(view, usb, std::move(workers), timing);
  app.Start();
  app.Thread().Send([] {});  // the dialog's initialisation has run: the buttons wait for a link
  while (device.Ready() && !app.Dialog().IsControlEnabled(kIdWriteChinese)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const double processorBefore = ProcessorSeconds();
  const auto start = std::chrono::steady_clock::now();
  std::optional<JobRun> run;
  if (app.Press(kIdWriteChinese) == PressOutcome::kJobStarted) {
    app.Dialog().WaitForJobWorkers();
    run = JobRun{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                 ProcessorSeconds() - processorBefore};
  }
  app.Dialog().m_port.Stop();
  app.Thread().QuitAndWait();
  return run;
}

void FontFileJobOverPty(benchmark::State& state) {
  const TemporaryDirectory directory("quillon-bench");
  const fs::path previous = fs::current_path();
  fs::current_path(directory.Path());
  WritePackage("flash.txt", kPages);

  for (auto _ : state) {
    const StationPlacement placement(PlacementOf(state));
    const DeviceProcess device(directory / "ttyBENCH", kBaud, PlacementOf(state), DeliveryOf(state));
    const std::optional<JobRun> run = RunStationJob(directory / "ttyBENCH", device);
    if (!run) {
      state.SkipWithError("the station did not start the job");
      break;
    }
    CountPages(state, run->seconds);
    state.counters["station_cpu_ms_per_page"] = 1000 * run->processorSeconds / kPages;
  }
  fs::current_path(previous);
}
BENCHMARK(FontFileJobOverPty)->Apply(InBothPlacementsAndDeliveries);

void BareExchangesOverPty(benchmark::State& state) {
  const TemporaryDirectory directory("quillon-bench");
  for (auto _ : state) {
    const StationPlacement placement(PlacementOf(state));
    const DeviceProcess device(directory / "ttyBENCH", kBaud, PlacementOf(state), DeliveryOf(state));
    const auto start = std::chrono::steady_clock::now();
    if (!device.Ready() || !RunBareExchanges(directory / "ttyBENCH", kPages)) {
      state.SkipWithError("the simulated device did not answer");
      break;
    }
    CountPages(state, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BareExchangesOverPty)->Apply(InBothPlacementsAndDeliveries);

// The station's page rate against the bare loop's on the same kind of device, at each answer delay and
// in each delivery; one iteration runs the station, then the bare loop, each with a fresh device, with
// the station and the device on processors of their own. Shorter runs, repeated more often, than the
// benchmarks above: on a machine shared with other work the load changes between two long runs, and the
// median of five ratios of runs close together says more than one ratio of two long ones.
constexpr int kPairedPages = 200;

void StationAgainstBareLoop(benchmark::State& state) {
  const TemporaryDirectory directory("quillon-bench");
  const fs::path previous = fs::current_path();
  fs::current_path(directory.Path());
  WritePackage("flash.txt", kPairedPages);
  const auto delivery = static_cast<ByteDelivery>(state.range(0));
  const std::string answerDelay = std::to_string(state.range(1)) + ":" + std::to_string(state.range(2));
  double stationSeconds = 0;
  double bareSeconds = 0;
  for (auto _ : state) {
    const StationPlacement placement(Placement::kOwnProcessors);
    std::optional<JobRun> run;
    {
      const DeviceProcess device(directory / "ttyBENCH", kBaud, Placement::kOwnProcessors, delivery,
                                 answerDelay);
      run = RunStationJob(directory / "ttyBENCH", device);
    }
    const DeviceProcess device(directory / "ttyBENCH", kBaud, Placement::kOwnProcessors, delivery,
                               answerDelay);
    const auto start = std::chrono::steady_clock::now();
    if (!run || !device.Ready() || !RunBareExchanges(directory / "ttyBENCH", kPairedPages)) {
      state.SkipWithError("the station or the bare loop did not finish");
      break;
    }
    const double bare = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(run->seconds + bare);
    stationSeconds += run->seconds;
    bareSeconds += bare;
  }
  if (stationSeconds > 0 && bareSeconds > 0) {
    const double iterations = static_cast<double>(state.iterations());
    state.counters["station_pages_per_s"] = kPairedPages * iterations / stationSeconds;
    state.counters["bare_pages_per_s"] = kPairedPages * iterations / bareSeconds;
    state.counters["station_percent_of_bare"] = 100 * bareSeconds / stationSeconds;
  }
  fs::current_path(previous);
}
// A real device takes a while to program a page and answers a little later at one time than another:
// at once, a fixed 200 us, and 1 ms +- 500 us (500 us plus 0..1000 us, quillon-devsim's
// --answer-delay 500:1000).
// Each in the three deliveries: bytes one by one, by a UART's FIFO, in USB packets.
void AtAnswerDelays(benchmark::internal::Benchmark* registration) {
  registration->ArgNames({"delivery", "delay_us", "jitter_us"});
  for (const ByteDelivery delivery :
       {ByteDelivery::kByByte, ByteDelivery::kUartFifo, ByteDelivery::kUsbPackets}) {
    const auto kind = static_cast<std::int64_t>(delivery);
    registration->Args({kind, 0, 0})->Args({kind, 200, 0})->Args({kind, 500, 1000});
  }
}
BENCHMARK(StationAgainstBareLoop)
    ->Apply(AtAnswerDelays)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(5);

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
