// A whole font file job over a pty, against the device simulator in a process of its own emulating
// 460800 baud: pages per second against what the wire allows, and the station's processor time per
// page (this process holds only the station: its dialog thread, serial monitor and job worker). The
// same pages exchanged by a bare loop on the same tty give the ceiling of the set-up. Each runs with
// the station and the device on processors of their own, as with a real device, and shared; and with
// the device's bytes reaching the station one by one as they cross the wire, and in a CH340's USB
// packets (up to 32 bytes once per 1 ms frame).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench/bare_exchanges.h"
#include "bench/device_process.h"
#include "link/given_port_list.h"
#include "link/no_usb_bridge.h"
#include "link/temporary_directory.h"
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

void FontFileJobOverPty(benchmark::State& state) {
  const TemporaryDirectory directory("quillon-bench");
  const fs::path previous = fs::current_path();
  fs::current_path(directory.Path());
  WritePackage("flash.txt", kPages);

  for (auto _ : state) {
    const StationPlacement placement(PlacementOf(state));
    const DeviceProcess device(directory / "ttyBENCH", kBaud, PlacementOf(state), DeliveryOf(state));
    GivenPortList ports((directory / "ttyBENCH").string());
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
    if (app.Press(kIdWriteChinese) != PressOutcome::kJobStarted) {
      state.SkipWithError("the station did not start the job");
      break;
    }
    app.Dialog().WaitForJobWorkers();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double processor = ProcessorSeconds() - processorBefore;
    CountPages(state, seconds);
    state.counters["station_cpu_ms_per_page"] = 1000 * processor / kPages;
    app.Dialog().m_port.Stop();
    app.Thread().QuitAndWait();
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

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
