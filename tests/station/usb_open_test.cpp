// Opening the USB device by its device string, through the simulator's bridge and through a bridge
// library loaded at run time.
#include <gtest/gtest.h>

#include <list>
#include <string>

#include "link/usb/no_usb_bridge.h"
#include "link/usb/shared_library.h"
#include "link/usb/usb_library_bridge.h"
#include "sim/usb_device.h"
#include "station/connection/discovery.h"
#include "station/shared_state.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

using sim::SimulatedUsbBridge;
using sim::SimulatedUsbDeviceConfig;

SimulatedUsbDeviceConfig Device(std::string deviceString) {
  return {.productString = std::move(deviceString)};
}
SimulatedUsbDeviceConfig UnreadableDevice() {
  return {.productStringReadable = false};
}

TEST(OpenUsbDeviceTest, TheFirstDeviceWhoseStringMatchesWholeIsOpened) {
  SimulatedUsbBridge usb(
      {Device("tarvik-writer-2"), UnreadableDevice(), Device("tarvik-writer"), Device("tarvik-writer")});
  testing::StationHarness station(&usb);
  EXPECT_EQ(station.dlg.OpenUsbDevice(kUsbDeviceString), 1);
  // The unreadable device has no entry, yet the index opened is the device's own.
  EXPECT_EQ(station.dlg.m_productList,
            (std::list<std::string>{"tarvik-writer-2", "tarvik-writer", "tarvik-writer"}));
  EXPECT_EQ(station.dlg.m_usbIndex, 2u);
  EXPECT_TRUE(usb.IsOpen(2));
  EXPECT_FALSE(usb.IsOpen(3));
  EXPECT_NE(station.dlg.m_usbHandle, kNoUsbDevice);
  EXPECT_EQ(usb.Timeouts().read, 6000u);
  EXPECT_EQ(usb.Timeouts().write, 6000u);
  station.dlg.CloseUsbDevice();
  EXPECT_FALSE(usb.IsOpen(2));
}

TEST(OpenUsbDeviceTest, AStringThatDiffersEvenInLetterCaseIsNotOpened) {
  SimulatedUsbBridge usb({Device("Tarvik-Writer"), Device("TARVIK-WRITER")});
  testing::StationHarness station(&usb);
  EXPECT_EQ(station.dlg.OpenUsbDevice(kUsbDeviceString), 0);
  EXPECT_EQ(station.dlg.m_usbHandle, kNoUsbDevice);
  EXPECT_FALSE(usb.IsOpen(0));
  EXPECT_FALSE(usb.IsOpen(1));
  EXPECT_EQ(station.dlg.m_productList.size(), 2u);
  // The time-outs are set whether or not a device matched.
  EXPECT_EQ(usb.Timeouts().read, 6000u);
}

TEST(OpenUsbDeviceTest, ADeviceListThatCannotBeReadOpensNothing) {
  NoUsbBridge noLibrary;
  testing::StationHarness station(&noLibrary);
  station.dlg.m_productList = {"left over"};
  EXPECT_EQ(station.dlg.OpenUsbDevice(kUsbDeviceString), 0);
  EXPECT_TRUE(station.dlg.m_productList.empty());
  EXPECT_EQ(station.dlg.m_usbHandle, kNoUsbDevice);
}

TEST(UsbLibraryBridgeTest, TheLibraryIsLoadedAtRunTimeAndCarriesBlocks) {
  UsbLibraryBridge library(QUILLON_FAKE_USB_LIBRARY);
  ASSERT_TRUE(library.Available()) << library.Problem();
  testing::StationHarness station(&library);
  EXPECT_EQ(station.dlg.OpenUsbDevice(kUsbDeviceString), 1);
  EXPECT_EQ(station.dlg.m_usbIndex, 1u);
  EXPECT_EQ(station.dlg.m_usbHandle, 0x101);

  // An open-job command goes out as one block and its answer comes back as one.
  g_linkKind = kUsbLinkKind;
  g_txPayload[0] = kCommandOpenJob;
  EXPECT_EQ(station.dlg.ExchangeCommand(kOpenJobWaitTicks), 1);
  EXPECT_EQ(station.dlg.FetchReply(0), 1);
  EXPECT_EQ(g_rxPayload[33], 0x5A);

  // The same library, loaded once more, shows what the station told it.
  SharedLibrary same(QUILLON_FAKE_USB_LIBRARY);
  auto readTimeout = reinterpret_cast<std::uint32_t (*)()>(same.Export("FakeUsbReadTimeout", 0));
  auto bytesWritten = reinterpret_cast<std::uint32_t (*)()>(same.Export("FakeUsbBytesWritten", 0));
  ASSERT_NE(readTimeout, nullptr);
  EXPECT_EQ(readTimeout(), 6000u);
  EXPECT_EQ(bytesWritten(), kPayloadSize);
  station.dlg.CloseUsbDevice();
}

TEST(UsbLibraryBridgeTest, WithoutTheLibraryTheDeviceCountFailsAndTheReasonIsKept) {
  UsbLibraryBridge missing("libquillon-no-such-usb-library.so");
  EXPECT_FALSE(missing.Available());
  EXPECT_NE(missing.Problem().find("libquillon-no-such-usb-library.so"), std::string::npos);
  std::uint32_t count = 7;
  EXPECT_NE(missing.GetNumDevices(&count), kUsbSuccess);
  // No library at all is nothing to tell the operator: the station is a serial one.
  EXPECT_EQ(missing.UnusableReason(), "");

  // A library that lacks one of the operations is not used at all, and the operator is told why.
  UsbLibraryBridge wrongLibrary(QUILLON_INCOMPLETE_USB_LIBRARY);
  EXPECT_FALSE(wrongLibrary.Available());
  EXPECT_NE(wrongLibrary.Problem().find(QUILLON_INCOMPLETE_USB_LIBRARY_LACKS), std::string::npos);
  EXPECT_EQ(wrongLibrary.UnusableReason(), wrongLibrary.Problem());
  testing::StationHarness station(&wrongLibrary);
  EXPECT_EQ(station.dlg.OpenUsbDevice(kUsbDeviceString), 0);
}

}  // namespace
}  // namespace quillon
