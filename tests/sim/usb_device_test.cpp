#include "sim/usb_device.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sim_test_support.h"

namespace quillon::sim {
namespace {

using namespace testing;

SimulatedUsbDeviceConfig Device(std::string productString, bool readable = true) {
  SimulatedUsbDeviceConfig config;
  config.productString = std::move(productString);
  config.productStringReadable = readable;
  return config;
}

class SimUsbBridge : public ::testing::Test {
 protected:
  std::vector<std::string> ProductStrings() {
    std::uint32_t count = 0;
    EXPECT_EQ(m_bridge->GetNumDevices(&count), kUsbSuccess);
    std::vector<std::string> strings;
    for (std::uint32_t i = 0; i < count; ++i) {
      char buffer[kUsbStringBufferSize] = "unset";
      const bool read = m_bridge->GetProductString(i, buffer, kUsbSerialNumberString) == kUsbSuccess;
      strings.push_back(read ? buffer : "?");
    }
    return strings;
  }
  int Write(const Payload& command, std::uint32_t count = kPayloadSize) {
    return m_bridge->Write(m_handle, command.data(), count, &m_transferred);
  }
  int Read(Payload& block) { return m_bridge->Read(m_handle, block.data(), kPayloadSize, &m_transferred); }

  std::optional<SimulatedUsbBridge> m_bridge{std::in_place};  // re-made by tests that need other devices
  UsbHandle m_handle = kNoUsbDevice;
  std::uint32_t m_transferred = 0;
};

TEST_F(SimUsbBridge, ListsEachDeviceStringFailingTheUnreadableOne) {
  EXPECT_EQ(ProductStrings(), std::vector<std::string>{"tarvik-writer"});
  m_bridge.emplace({Device("other"), Device("broken", false), Device(kDefaultProductString)});
  EXPECT_EQ(ProductStrings(), (std::vector<std::string>{"other", "?", "tarvik-writer"}));
  char buffer[kUsbStringBufferSize];
  EXPECT_NE(m_bridge->GetProductString(3, buffer, kUsbSerialNumberString), kUsbSuccess);
}

TEST_F(SimUsbBridge, OpensADeviceForOneHolderAtATime) {
  ASSERT_EQ(m_bridge->Open(0, &m_handle), kUsbSuccess);
  UsbHandle second = kNoUsbDevice;
  EXPECT_NE(m_bridge->Open(0, &second), kUsbSuccess);
  EXPECT_NE(m_bridge->Open(1, &second), kUsbSuccess);
  EXPECT_EQ(m_bridge->Close(m_handle), kUsbSuccess);
  EXPECT_NE(m_bridge->Close(m_handle), kUsbSuccess);
  EXPECT_EQ(m_bridge->Open(0, &second), kUsbSuccess);
  EXPECT_EQ(m_bridge->SetTimeouts(6000, 5000), kUsbSuccess);
  EXPECT_EQ(m_bridge->Timeouts().write, 5000u);
}

TEST_F(SimUsbBridge, AnswersOnlyOpenJobAndReadBackWithBlocksAndTimesOutAtOnceOtherwise) {
  ASSERT_EQ(m_bridge->Open(0, &m_handle), kUsbSuccess);
  Payload block{};
  ASSERT_EQ(Write(Command(kCommandOpenJob, 0)), kUsbSuccess);
  EXPECT_EQ(m_transferred, kPayloadSize);
  EXPECT_EQ(Read(block), kUsbSuccess) << "the open-job answer";
  const std::vector<std::uint8_t> page = SamplePage(5);
  for (const Payload& command : PageWrite(0x3300, page)) ASSERT_EQ(Write(command), kUsbSuccess);
  EXPECT_EQ(Read(block), kUsbReadTimedOut);
  EXPECT_EQ(m_transferred, 0u);

  ASSERT_EQ(Write(AddressCommand(kCommandReadBack, 0x3300)), kUsbSuccess);
  std::vector<std::uint8_t> readBack;
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    ASSERT_EQ(Read(block), kUsbSuccess);
    EXPECT_EQ(block[1], n);
    readBack.insert(readBack.end(), block.begin() + 2, block.end());
  }
  EXPECT_EQ(readBack, page);
  EXPECT_EQ(Read(block), kUsbReadTimedOut);

  // Answers left unread when the handle closes are not there for the next one.
  ASSERT_EQ(Write(AddressCommand(kCommandReadBack, 0x3300)), kUsbSuccess);
  ASSERT_EQ(m_bridge->Close(m_handle), kUsbSuccess);
  ASSERT_EQ(m_bridge->Open(0, &m_handle), kUsbSuccess);
  EXPECT_EQ(Read(block), kUsbReadTimedOut);
}

TEST_F(SimUsbBridge, RefusesOtherSizesAndHandlesAndFailsTheChosenTransfer) {
  ASSERT_EQ(m_bridge->Open(0, &m_handle), kUsbSuccess);
  EXPECT_NE(Write(Command(kCommandOpenJob, 0), kPayloadSize - 1), kUsbSuccess);
  EXPECT_NE(m_bridge->Write(m_handle + 1, Command(kCommandOpenJob, 0).data(), kPayloadSize, &m_transferred),
            0);
  EXPECT_EQ(m_bridge->WithEngine(0, [](DeviceEngine& engine) { return engine.Counters().exchanges; }), 0u);

  m_bridge->WithEngine(0, [](DeviceEngine& engine) { engine.Faults().noReplyTo = 2; });
  Payload block{};
  EXPECT_EQ(Write(Command(kCommandOpenJob, 0)), kUsbSuccess);
  EXPECT_EQ(Read(block), kUsbReadError) << "reads count as transfers too";
  EXPECT_EQ(m_transferred, 0u);
  EXPECT_EQ(Read(block), kUsbSuccess);
}

TEST_F(SimUsbBridge, TheChosenTransferComesUpShortOrReportsAFailureThoughItMovedTheBlock) {
  ASSERT_EQ(m_bridge->Open(0, &m_handle), kUsbSuccess);
  const auto failAt = [this](std::uint32_t transfer, UsbTransferFailure failure) {
    m_bridge->WithEngine(0, [&](DeviceEngine& engine) {
      engine.Faults().usbTransferFault = {transfer, failure};
    });
  };
  failAt(1, UsbTransferFailure::kShort);
  EXPECT_EQ(Write(Command(kCommandOpenJob, 0)), kUsbSuccess);
  EXPECT_EQ(m_transferred, kPayloadSize - 1);
  failAt(3, UsbTransferFailure::kWrongStatus);
  Payload block{};
  EXPECT_EQ(Read(block), kUsbSuccess);
  EXPECT_EQ(m_transferred, kPayloadSize);
  EXPECT_EQ(Write(Command(kCommandOpenJob, 0)), kUsbWriteError);
  EXPECT_EQ(m_transferred, kPayloadSize);
  EXPECT_EQ(Read(block), kUsbSuccess) << "the block went through";
}

TEST_F(SimUsbBridge, UnpluggingDropsTheDeviceAndItsHandlesForGoodUntilReplugged) {
  m_bridge.emplace({Device("first"), Device(kDefaultProductString)});
  m_bridge->WithEngine(1, [](DeviceEngine& engine) { engine.Faults().unplugAfterPages = 1; });
  ASSERT_EQ(m_bridge->Open(1, &m_handle), kUsbSuccess);
  for (const Payload& command : PageWrite(0, SamplePage(1))) EXPECT_EQ(Write(command), kUsbSuccess);
  EXPECT_NE(Write(AddressCommand(kCommandWrite, 0x100)), kUsbSuccess);
  EXPECT_EQ(ProductStrings(), std::vector<std::string>{"first"});
  EXPECT_NE(Write(AddressCommand(kCommandReadBack, 0)), kUsbSuccess);

  m_bridge->Replug(1);
  EXPECT_EQ(ProductStrings().size(), 2u);
  EXPECT_NE(Write(Command(kCommandOpenJob, 0)), kUsbSuccess) << "a handle from before the unplug";
  UsbHandle fresh = kNoUsbDevice;
  ASSERT_EQ(m_bridge->Open(1, &fresh), kUsbSuccess);
  EXPECT_EQ(m_bridge->Close(m_handle), kUsbSuccess);
  EXPECT_TRUE(m_bridge->IsOpen(1)) << "closing the dead handle must not close the new one";
}

}  // namespace
}  // namespace quillon::sim
