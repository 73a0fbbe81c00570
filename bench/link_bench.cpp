// How fast received bytes travel from a pty through the serial driver into the dialog, and how much
// processor time a worker spends while it waits for an allowance to run out.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "link/serial/port_table.h"
#include "link/usb/no_usb_bridge.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "station/silent_view.h"

namespace quillon {
namespace {

// A dialog running on its own dialog thread.
struct Station {
  explicit Station(std::chrono::milliseconds timerPeriod)
      : dlg(view, dialogThread, usb, StationTiming{.timerPeriod = timerPeriod}) {
    ResetSharedState();
    dialogThread.Start(
        [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { dlg.OnMessage(m, w, l); });
    dialogThread.SetTimer(timerPeriod, [this] { dlg.OnTimer(1); });
  }
  ~Station() { dialogThread.QuitAndWait(); }

  SilentView view;
  NoUsbBridge usb;
  DialogThread dialogThread;
  CQuillonDlg dlg;
};

void PtyToDialog(benchmark::State& state) {
  int master = -1;
  int slave = -1;
  char slaveName[128] = {};
  if (openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) {
    state.SkipWithError("no pty");
    return;
  }
  constexpr int kPort = 7;
  BindPortPath(kPort, slaveName);
  Station station(std::chrono::milliseconds(0));
  if (!station.dlg.m_port.Configure(&station.dlg, kPort, 460800, 'N', 8, 1, EV_RXCHAR, 1024) ||
      !station.dlg.m_port.StartMonitor()) {
    state.SkipWithError("cannot open the pty");
    return;
  }
  // Filler that never forms a header, closed by a handshake reply: once the dialog has seen that
  // reply, it has handled every byte before it.
  std::vector<std::uint8_t> burst(static_cast<std::size_t>(state.range(0)), 0x55);
  std::copy(kFrameHeader.begin(), kFrameHeader.end(), burst.end() - kFrameSize);
  std::copy(kHandshakeReply.begin(), kHandshakeReply.end(), burst.end() - kPayloadSize);

  // The monitor purges the port as it starts: repeat a short reply until one gets through.
  while (g_handshakeReply.load() != kHandshakeSeen) {
    if (write(master, burst.data() + burst.size() - kFrameSize, kFrameSize) != kFrameSize) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::uint64_t delivered = 0;
  for (auto _ : state) {
    g_handshakeReply = 0;
    for (std::size_t written = 0; written < burst.size();) {
      ssize_t n = write(master, burst.data() + written, burst.size() - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    while (g_handshakeReply.load() != kHandshakeSeen) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    delivered += burst.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(delivered));
  station.dlg.m_port.Stop();
  UnbindPortPath(kPort);
  close(slave);
  close(master);
}
BENCHMARK(PtyToDialog)->Arg(256 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime();

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A command that is never answered: the worker waits until three ticks have taken the allowance of 6.
void WorkerWaitingForAllowance(benchmark::State& state) {
  const auto period = std::chrono::milliseconds(state.range(0));
  double cpu = 0;
  double wall = 0;
  for (auto _ : state) {
    Station station(period);
    g_linkKind = 7;  // a serial link with no port behind it: nothing answers
    const double cpuBefore = ThreadCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(station.dlg.ExchangeCommand(kCommandWaitTicks));
    cpu += ThreadCpuSeconds() - cpuBefore;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  }
  state.counters["worker_cpu_us_per_wait"] = cpu * 1e6 / static_cast<double>(state.iterations());
  state.counters["cpu_share_percent"] = 100.0 * cpu / wall;
}
BENCHMARK(WorkerWaitingForAllowance)->Arg(100)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
