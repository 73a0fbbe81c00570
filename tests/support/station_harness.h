// A station without a screen: the dialog on its own dialog thread, with a hand-driven timer, a fake
// view and a scripted USB bridge.
#pragma once

#include <chrono>
#include <thread>
#include <utility>

#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "tests/support/eventually.h"
#include "tests/support/fake_view.h"
#include "tests/support/scripted_usb.h"

namespace quillon::testing {

inline StationTiming HandDrivenTiming() {
  return StationTiming{.timerPeriod = std::chrono::milliseconds(0),
                       .openJobPause = std::chrono::milliseconds(0),
                       .handshakeWait = std::chrono::milliseconds(50)};
}

struct StationHarness {
  explicit StationHarness(UsbBridge* usbBridge = nullptr, StationWorkers workers = {},
                          StationTiming timing = HandDrivenTiming())
      : dlg(view, dialogThread, usbBridge != nullptr ? *usbBridge : usb, std::move(timing),
            std::move(workers)) {
    ResetSharedState();
    dialogThread.Start(
        [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { dlg.OnMessage(m, w, l); });
    dialogThread.SetTimer(std::chrono::milliseconds(0), [this] { dlg.OnTimer(1); });
  }
  ~StationHarness() {
    // Workers reach the dialog: they must be done before it goes.
    Eventually([this] { return !dlg.JobWorkerAlive() && !dlg.ConnectionAttemptRunning(); });
    dialogThread.QuitAndWait();
  }

  // One timer tick, handled before this returns.
  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) dialogThread.FireTimer();
  }
  // Ticks until the status line shows `status`, each tick's connection attempt seen to its end; the
  // number of ticks it took, or -1 when a whole watchdog period (five ticks) went by without it.
  int TicksUntilLinkStatus(const std::string& status) {
    for (int tick = 1; tick <= 5; ++tick) {
      Tick();
      Eventually([this] { return !dlg.ConnectionAttemptRunning(); });
      if (dlg.LinkStatus() == status) return tick;
    }
    return -1;
  }
  // Received bytes as the serial driver delivers them, each handled before this returns.
  void Receive(std::initializer_list<std::uint8_t> bytes, std::intptr_t port = 5) {
    for (std::uint8_t byte : bytes) dialogThread.Send(WM_SERIAL_BYTE, byte, port);
  }
  void ReceiveFrame(const std::uint8_t* payload, std::size_t payloadBytes, std::intptr_t port = 5) {
    for (std::uint8_t byte : kFrameHeader) dialogThread.Send(WM_SERIAL_BYTE, byte, port);
    for (std::size_t i = 0; i < payloadBytes; ++i) dialogThread.Send(WM_SERIAL_BYTE, payload[i], port);
  }

  FakeView view;
  ScriptedUsb usb;
  DialogThread dialogThread;
  CQuillonDlg dlg;
};

// Waits until a worker has armed its serial wait with the given allowance.
inline bool WaitForAllowance(std::uint8_t ticks) {
  return Eventually([ticks] { return g_waitTicks.load() == ticks; });
}

}  // namespace quillon::testing
