// quillon-linkdemo: the station's link at work on the simulated device. It plugs the simulator in on a
// pseudo-terminal, opens it with the station's serial driver at 460800 baud, handshakes, then writes
// test pages and reads every one back, as a job does. It never touches a real device.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "app/quillon_dlg.h"
#include "app/shared_state.h"
#include "app/silent_view.h"
#include "link/port_table.h"
#include "sim/pty_device.h"
#include "sim/usb_device.h"

namespace quillon {
namespace {

constexpr int kPort = 1;
constexpr int kPages = 64;
constexpr std::uint32_t kFirstPage = 0x10000;

int Run() {
  std::string error;
  auto device = sim::PtyDevice::Create({.emulatedBaud = std::getenv("NOPACE") ? 0u : 460800u}, error);
  if (!device) {
    std::fprintf(stderr, "cannot start the simulated device: %s\n", error.c_str());
    return 1;
  }
  std::printf("Simulated device on %s (emulating 460800 baud)\n", device->SlavePath().c_str());
  BindPortPath(kPort, device->SlavePath());

  ResetSharedState();
  SilentView view;
  sim::SimulatedUsbBridge unusedUsb;
  DialogThread dialogThread;
  CQuillonDlg dlg(view, dialogThread, unusedUsb);
  dialogThread.Start([&](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { dlg.OnMessage(m, w, l); });
  dialogThread.SetTimer(dlg.Timing().timerPeriod, [&] { dlg.OnTimer(1); });

  if (!dlg.m_port.Configure(&dlg, kPort, 460800, 'N', 8, 1, EV_RXCHAR, 1024) || !dlg.m_port.StartMonitor()) {
    std::fprintf(stderr, "cannot open %s\n", device->SlavePath().c_str());
    return 1;
  }
  std::uint8_t handshake[kFrameSize] = {};
  std::ranges::copy(kFrameHeader, handshake);
  handshake[kFrameHeaderSize] = kCommandHandshake;
  dlg.m_port.QueueWrite(handshake, kFrameSize);
  std::this_thread::sleep_for(dlg.Timing().handshakeWait);
  if (g_handshakeReply.load() != kHandshakeSeen) {
    std::fprintf(stderr, "the device did not answer the handshake\n");
    return 1;
  }
  g_linkKind = kPort;
  std::printf("Handshake answered: link up at 460800 baud\n");

  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kPages; ++i) {
    for (std::size_t b = 0; b < kPageSize; ++b) g_pageBuffer[b] = static_cast<std::uint8_t>(i * 7 + b);
    const std::uint32_t address = kFirstPage + static_cast<std::uint32_t>(i) * kPageSize;
    g_pageAddress = address;
    if (dlg.ProgramPage() != 0) {
      std::fprintf(stderr, "\npage at 0x%06X failed\n", address);
      return 1;
    }
    std::printf("\rpage %2d/%d at 0x%06X written and verified", i + 1, kPages, address);
    std::fflush(stdout);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("\n%d pages written and verified in %.2f s (%.1f pages/s)\n", kPages, seconds,
              kPages / seconds);
  dlg.m_port.Stop();
  dialogThread.QuitAndWait();
  return 0;
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "Usage: quillon-linkdemo\n"
        "Writes and verifies %d test pages on a simulated device over a pseudo-terminal, through the\n"
        "station's serial driver and exchange. Never touches a real device.\n",
        quillon::kPages);
    return 0;
  }
  return quillon::Run();
}
