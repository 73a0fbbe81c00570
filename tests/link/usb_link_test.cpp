// The exchange on the USB link against the simulated device's bridge stand-in.
#include <gtest/gtest.h>

#include "app/shared_state.h"
#include "sim/usb_device.h"
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
  EXPECT_EQ(station.view.MessageBoxes()[0].text, "USB device error,Please reinsert the USB decive !!!");
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

}  // namespace
}  // namespace quillon
