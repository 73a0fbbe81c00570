// The exchange on the USB link against the simulated device's bridge stand-in.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "sim/usb_device.h"
#include "station/exchange_texts.h"
#include "station/shared_state.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

class UsbLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UsbHandle handle = kNoUsbDevice;
    ASSERT_EQ(bridge.Open(0, &handle), kUsbSuccess);
    station.dlg.m_usbHandle = handle;
    g_linkKind = kUsbLinkKind;
  }

  sim::SimulatedUsbBridge bridge;
  testing::StationHarness station{&bridge};
};

TEST_F(UsbLinkTest, AReadWithNothingToReadTakesTheLinkDown) {
  EXPECT_EQ(station.dlg.FetchReply(1), 0);
  ASSERT_EQ(station.view.MessageBoxes().size(), 1u);
  EXPECT_EQ(station.view.MessageBoxes()[0].text, kUsbFailureText);
  EXPECT_EQ(station.dlg.m_usbHandle, kNoUsbDevice);
  EXPECT_FALSE(bridge.IsOpen(0));
  EXPECT_EQ(g_linkKind, kNoLink);
}

TEST_F(UsbLinkTest, AnUnpluggedDeviceFailsTheNextCommand) {
  bridge.Unplug(0);
  g_txPayload[0] = kCommandOpenJob;
  EXPECT_EQ(station.dlg.ExchangeCommand(kOpenJobWaitTicks), 0);
  EXPECT_EQ(g_linkKind, kNoLink);
  EXPECT_EQ(station.view.MessageBoxes().size(), 1u);
}

// The moment a failing exchange's disabling of the buttons reaches the window, a watchdog check runs. If
// the link were already marked down, the check would start an attempt that could link the device anew
// beneath the failing job, whose disabling would then leave a live link with dead buttons.
TEST(UsbLinkFailureTest, BothDirectionsDisableTheButtonsBeforeTheLinkIsMarkedDown) {
  for (const bool failedWrite : {true, false}) {
    sim::SimulatedUsbBridge bridge;
    std::atomic<int> attempts{0};
    testing::StationHarness station(&bridge, {.connectThread = [&](CQuillonDlg&) { ++attempts; }});
    UsbHandle handle = kNoUsbDevice;
    ASSERT_EQ(bridge.Open(0, &handle), kUsbSuccess);
    station.dlg.m_usbHandle = handle;
    g_linkKind = kUsbLinkKind;
    station.dlg.EnableJobButtons(true);
    std::vector<std::uint32_t> linkKindWhenDisabled;
    station.view.OnControlShown([&](int controlId, bool enabled) {
      if (enabled || controlId != kJobButtonIds.front()) return;
      linkKindWhenDisabled.push_back(g_linkKind);
      g_watchdogTicks = 4;  // this tick checks
      station.dlg.OnTimer(1);
    });

    if (failedWrite) {
      // The device stays on the bus: a device gone from it would be let go of by the check itself.
      bridge.WithEngine(0, [](sim::DeviceEngine& engine) {
        engine.Faults().usbTransferFault = sim::UsbTransferFault{engine.Counters().exchanges + 1};
      });
      EXPECT_EQ(station.dlg.ExchangeCommand(kOpenJobWaitTicks), 0);
    } else {
      EXPECT_EQ(station.dlg.FetchReply(1), 0);
    }
    ASSERT_TRUE(testing::Eventually([&] { return !station.dlg.ConnectionAttemptRunning(); }));
    const char* direction = failedWrite ? "write" : "read";
    EXPECT_EQ(linkKindWhenDisabled, std::vector<std::uint32_t>{kUsbLinkKind}) << direction;
    EXPECT_EQ(attempts, 0) << direction;
    EXPECT_EQ(g_linkKind, kNoLink) << direction;
  }
}

}  // namespace
}  // namespace quillon
