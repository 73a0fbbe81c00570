// The simulated device on a pty, made for a test: when it cannot be made the test fails, saying why, and
// nullptr comes back.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "sim/pty_device.h"
#include "tests/support/made.h"

namespace quillon::testing {

inline std::unique_ptr<sim::PtyDevice> SimulatedDevice(const sim::PtyDeviceOptions& options) {
  return Made(sim::PtyDevice::Create(options));
}

// Plugs the device in again; false, and the test failed, when it cannot be.
inline bool Replugged(sim::PtyDevice& device) {
  const Result<void> plugged = device.Replug();
  if (!plugged) ADD_FAILURE() << plugged.Failure().words;
  return plugged.Ok();
}

}  // namespace quillon::testing
