#include "sim/usb_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim_test_support.h"

namespace quillon::sim {
namespace {

using testing::AddressCommand;
using testing::Command;
using testing::NoReplyTo;
using testing::PageWrite;
using testing::SamplePage;
using testing::UnplugAfter;

SimulatedUsbDeviceConfig Device(std::string productString, DeviceFaults faults = {}) {
  SimulatedUsbDeviceConfig config;
  config.productString = std::move(productString);
  config.faults = faults;
  return config;
}

SimulatedUsbDeviceConfig DeviceWithUnreadableString() {
  SimulatedUsbDeviceConfig config;
  config.productStringReadable = false;
  return config;
}

std::vector<std::string> ProductStrings(SimulatedUsbBridge& bridge) {
  std::uint32_t count = 0;
  EXPECT_EQ(bridge.GetNumDevices(&count), kUsbSuccess);
  std::vector<std::string> strings;
  for (std::uint32_t i = 0; i < count; ++i) {
    char buffer[kUsbStringBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    strings.push_back(bridge.GetProductString(i, buffer, kUsbSerialNumberString) == kUsbSuccess ? buffer
                                                                                                : "?");
  }
  return strings;
}

int WriteCommand(SimulatedUsbBridge& bridge, UsbHandle handle, const Payload& command,
                 std::uint32_t* transferred = nullptr) {
  std::uint32_t moved = 99;
  const int status = bridge.Write(handle, command.data(), kPayloadSize, &moved);
  if (transferred != nullptr) *transferred = moved;
  return status;
}

UsbHandle OpenFirst(SimulatedUsbBridge& bridge) {
  UsbHandle handle = kNoUsbDevice;
  EXPECT_EQ(bridge.Open(0, &handle), kUsbSuccess);
  return handle;
}

TEST(SimUsbBridge, OffersOneTarvikWriterByDefault) {
  SimulatedUsbBridge bridge;
  EXPECT_EQ(ProductStrings(bridge), std::vector<std::string>{"tarvik-writer"});
}

TEST(SimUsbBridge, ListsSeveralDevicesAndFailsTheUnreadableString) {
  SimulatedUsbBridge bridge(
      {Device("other-gadget"), DeviceWithUnreadableString(), Device(kDefaultProductString)});
  EXPECT_EQ(ProductStrings(bridge), (std::vector<std::string>{"other-gadget", "?", "tarvik-writer"}));

  char buffer[kUsbStringBufferSize];
  EXPECT_NE(bridge.GetProductString(3, buffer, kUsbSerialNumberString), kUsbSuccess);
  EXPECT_NE(bridge.GetProductString(0, buffer, 1), kUsbSuccess) << "only the serial-number string is offered";
  EXPECT_NE(bridge.GetNumDevices(nullptr), kUsbSuccess);
}

TEST(SimUsbBridge, CutsAnOverlongStringToTheBuffer) {
  SimulatedUsbBridge bridge({Device(std::string(400, 'w'))});
  char buffer[kUsbStringBufferSize + 1];
  buffer[kUsbStringBufferSize] = '!';
  ASSERT_EQ(bridge.GetProductString(0, buffer, kUsbSerialNumberString), kUsbSuccess);
  EXPECT_EQ(std::strlen(buffer), kUsbStringBufferSize - 1);
  EXPECT_EQ(buffer[kUsbStringBufferSize], '!');
}

TEST(SimUsbBridge, OpensTheIndexedDeviceOnceAtATime) {
  SimulatedUsbBridge bridge({Device("a"), Device("b")});
  UsbHandle first = kNoUsbDevice;
  UsbHandle second = kNoUsbDevice;
  ASSERT_EQ(bridge.Open(1, &first), kUsbSuccess);
  EXPECT_NE(first, kNoUsbDevice);
  EXPECT_TRUE(bridge.IsOpen(1));
  EXPECT_FALSE(bridge.IsOpen(0));
  EXPECT_NE(bridge.Open(1, &second), kUsbSuccess);
  EXPECT_NE(bridge.Open(2, &second), kUsbSuccess);

  EXPECT_EQ(bridge.Close(first), kUsbSuccess);
  EXPECT_FALSE(bridge.IsOpen(1));
  EXPECT_NE(bridge.Close(first), kUsbSuccess);
  EXPECT_EQ(bridge.Open(1, &second), kUsbSuccess);
}

TEST(SimUsbBridge, RemembersTheTimeouts) {
  SimulatedUsbBridge bridge;
  EXPECT_EQ(bridge.SetTimeouts(6000, 5000), kUsbSuccess);
  EXPECT_EQ(bridge.Timeouts().read, 6000u);
  EXPECT_EQ(bridge.Timeouts().write, 5000u);
}

TEST(SimUsbBridge, ProgramsAndReadsBackAPageInWholeBlocks) {
  SimulatedUsbBridge bridge;
  const UsbHandle handle = OpenFirst(bridge);
  const std::vector<std::uint8_t> page = SamplePage(5);
  std::uint32_t transferred = 0;
  ASSERT_EQ(WriteCommand(bridge, handle, Command(kCommandOpenJob, 0), &transferred), kUsbSuccess);
  EXPECT_EQ(transferred, kPayloadSize);

  std::uint8_t block[kPayloadSize];
  ASSERT_EQ(bridge.Read(handle, block, kPayloadSize, &transferred), kUsbSuccess) << "the open-job answer";
  EXPECT_EQ(transferred, kPayloadSize);
  for (const Payload& command : PageWrite(0x3300, page)) ASSERT_EQ(WriteCommand(bridge, handle, command), 0);
  ASSERT_EQ(WriteCommand(bridge, handle, AddressCommand(kCommandReadBack, 0x3300)), kUsbSuccess);

  std::vector<std::uint8_t> readBack;
  for (std::size_t n = 0; n < kChunksPerPage; ++n) {
    ASSERT_EQ(bridge.Read(handle, block, kPayloadSize, &transferred), kUsbSuccess);
    readBack.insert(readBack.end(), block + 2, block + kPayloadSize);
  }
  EXPECT_EQ(readBack, page);
  EXPECT_EQ(bridge.WithEngine(0, [](DeviceEngine& engine) { return engine.PageLog(); }),
            std::vector<std::uint32_t>{0x3300});
}

TEST(SimUsbBridge, ReadingWithNothingToReadTimesOutAtOnce) {
  SimulatedUsbBridge bridge;
  const UsbHandle handle = OpenFirst(bridge);
  std::uint8_t block[kPayloadSize];
  std::uint32_t transferred = 99;
  EXPECT_EQ(bridge.Read(handle, block, kPayloadSize, &transferred), kUsbReadTimedOut);
  EXPECT_EQ(transferred, 0u);
}

TEST(SimUsbBridge, RefusesTransfersOfAnyOtherSizeOrHandle) {
  SimulatedUsbBridge bridge;
  const UsbHandle handle = OpenFirst(bridge);
  const Payload command = Command(kCommandOpenJob, 0);
  std::uint32_t transferred = 99;
  EXPECT_NE(bridge.Write(handle, command.data(), kPayloadSize - 1, &transferred), kUsbSuccess);
  EXPECT_EQ(transferred, 0u);
  EXPECT_NE(bridge.Write(handle + 1, command.data(), kPayloadSize, &transferred), kUsbSuccess);
  EXPECT_NE(bridge.Write(kNoUsbDevice, command.data(), kPayloadSize, &transferred), kUsbSuccess);
  EXPECT_EQ(bridge.WithEngine(0, [](DeviceEngine& engine) { return engine.Counters().exchanges; }), 0u);
}

TEST(SimUsbBridge, FailsTheChosenTransferWithAStatus) {
  SimulatedUsbBridge bridge({Device(kDefaultProductString, NoReplyTo(3))});
  const UsbHandle handle = OpenFirst(bridge);
  std::uint8_t block[kPayloadSize];
  std::uint32_t transferred = 0;
  EXPECT_EQ(WriteCommand(bridge, handle, Command(kCommandOpenJob, 0)), kUsbSuccess);
  EXPECT_EQ(bridge.Read(handle, block, kPayloadSize, &transferred), kUsbSuccess);
  EXPECT_NE(WriteCommand(bridge, handle, AddressCommand(kCommandWrite, 0), &transferred), kUsbSuccess);
  EXPECT_EQ(transferred, 0u);
  EXPECT_EQ(WriteCommand(bridge, handle, AddressCommand(kCommandWrite, 0)), kUsbSuccess);
}

TEST(SimUsbBridge, AfterTheChosenPageTheDeviceLeavesTheListAndItsHandleFails) {
  SimulatedUsbBridge bridge({Device("first"), Device(kDefaultProductString, UnplugAfter(1))});
  UsbHandle handle = kNoUsbDevice;
  ASSERT_EQ(bridge.Open(1, &handle), kUsbSuccess);
  const std::vector<Payload> page = PageWrite(0, SamplePage(1));
  for (std::size_t i = 0; i + 1 < page.size(); ++i) EXPECT_EQ(WriteCommand(bridge, handle, page[i]), 0);
  EXPECT_EQ(ProductStrings(bridge).size(), 2u);

  EXPECT_NE(WriteCommand(bridge, handle, page.back()), kUsbSuccess);
  EXPECT_EQ(ProductStrings(bridge), std::vector<std::string>{"first"});
  EXPECT_NE(WriteCommand(bridge, handle, AddressCommand(kCommandReadBack, 0)), kUsbSuccess);
  EXPECT_EQ(bridge.Close(handle), kUsbSuccess);
}

TEST(SimUsbBridge, AReplugListsTheDeviceAgainButOldHandlesStayDead) {
  SimulatedUsbBridge bridge;
  const UsbHandle old = OpenFirst(bridge);
  bridge.Unplug(0);
  EXPECT_TRUE(ProductStrings(bridge).empty());
  UsbHandle handle = kNoUsbDevice;
  EXPECT_NE(bridge.Open(0, &handle), kUsbSuccess);

  bridge.Replug(0);
  EXPECT_EQ(ProductStrings(bridge), std::vector<std::string>{"tarvik-writer"});
  EXPECT_NE(WriteCommand(bridge, old, Command(kCommandOpenJob, 0)), kUsbSuccess);
  ASSERT_EQ(bridge.Open(0, &handle), kUsbSuccess);
  EXPECT_EQ(WriteCommand(bridge, handle, Command(kCommandOpenJob, 0)), kUsbSuccess);
  EXPECT_EQ(bridge.Close(old), kUsbSuccess);
  EXPECT_TRUE(bridge.IsOpen(0)) << "closing a dead handle must not close the new one";
}

}  // namespace
}  // namespace quillon::sim
