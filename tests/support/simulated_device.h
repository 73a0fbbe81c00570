// The simulated device on a pty, made for a test: when it cannot be made the test fails, saying why, and
// nullptr comes back.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "package/font_package.h"
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

// Whether the device's flash holds every page as given.
inline bool FlashHolds(sim::PtyDevice& device, const std::vector<FontPage>& pages) {
  return device.WithEngine([&](sim::DeviceEngine& engine) {
    for (const FontPage& page : pages) {
      std::array<std::uint8_t, kPageSize> read{};
      engine.Memory().Read(page.address, read);
      if (read != page.bytes) return false;
    }
    return true;
  });
}

}  // namespace quillon::testing
