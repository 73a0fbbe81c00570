// Station timings for tests that link the simulated device over a pty: the handshake wait lasts until
// the device has had the handshake and, if it answers, until the answer is in, so no attempt depends
// on how fast the machine is.
#pragma once

#include <functional>

#include "sim/pty_device.h"
#include "station/shared_state.h"
#include "station/station_timing.h"
#include "tests/support/eventually.h"
#include "tests/support/station_harness.h"

namespace quillon::testing {

// device() gives the simulated device of the moment (nullptr: nothing to wait for).
inline StationTiming TimingAwaitingHandshake(std::function<sim::PtyDevice*()> device) {
  StationTiming timing = HandDrivenTiming();
  timing.pause = [device = std::move(device),
                  handshakeWait = timing.handshakeWait](std::chrono::milliseconds length) {
    if (length != handshakeWait) return;  // the open-job pause: none in tests
    sim::PtyDevice* simulator = device();
    if (simulator == nullptr) return;
    auto counters = [simulator] {
      return simulator->WithEngine([](sim::DeviceEngine& engine) { return engine.Counters(); });
    };
    // The device counts a handshake and its answer in one step.
    if (!Eventually([&] { return counters().handshakes > 0; })) return;
    if (counters().handshakesAnswered > 0)
      Eventually([] { return g_handshakeReply.load() == kHandshakeSeen; });
  };
  return timing;
}

}  // namespace quillon::testing
