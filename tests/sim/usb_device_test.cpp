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
    EXPECT_EQ(bridge_->GetNumDevices(&count), kUsbSuccess);
    std::vector<std::string> strings;
    for (std::uint32_t i = 0; i < count; ++i) {
      char buffer[kUsbStringBufferSize] = "unset";
      const bool read = bridge_->GetProductString(i, buffer, kUsbSerialNumberString) == kUsbSuccess;
      strings.push_back(read ? buffer : "?");
    }
    return strings;
  }
  int Write(const Payload& command, std::uint32_t count = kPayloadSize) {
    return bridge_->Write(handle_, command.data(), count, &transferred_);
  }
  int Read(Payload& block) { return bridge_->Read(handle_, block.data(), kPayloadSize, &transferred_); }

  std::optional<SimulatedUsbBridge> bridge_{std::in_place};  // re-made by tests that need other devices
  UsbHandle handle_ = kNoUsbDevice;
  std::uint32_t transferred_ = 0;
};

TEST_F(SimUsbBridge, ListsEachDeviceStringFailingTheUnreadableOne) {
  EXPECT_EQ(ProductStrings(), std::vector<std::string>{"tarvik-writer"});
  bridge_.emplace({Device("other"), Device("broken", false), Device(kDefaultProductString)});
  EXPECT_EQ(ProductStrings(), (std::vector<std::string>{"other", "?", "tarvik-writer"}));
  char buffer[kUsbStringBufferSize];
  EXPECT_NE(bridge_->GetProductString(3, buffer, kUsbSerialNumberString), kUsbSuccess);
}

TEST_F(SimUsbBridge, OpensADeviceForOneHolderAtATime) {
  ASSERT_EQ(bridge_->Open(0, &handle_), kUsbSuccess);
  UsbHandle second = kNoUsbDevice;
  EXPECT_NE(bridge_->Open(0, &second), kUsbSuccess);
  EXPECT_NE(bridge_->Open(1, &second), kUsbSuccess);
  EXPECT_EQ(bridge_->Close(handle_), kUsbSuccess);
  EXPECT_NE(bridge_->Close(handle_), kUsbSuccess);
  EXPECT_EQ(bridge_->Open(0, &second), kUsbSuccess);
  EXPECT_EQ(bridge_->SetTimeouts(6000, 5000), kUsbSuccess);
  EXPECT_EQ(bridge_->Timeouts().write, 5000u);
}

TEST_F(SimUsbBridge, AnswersOnlyOpenJobAndReadBackWithBlocksAndTimesOutAtOnceOtherwise) {
  ASSERT_EQ(bridge_->Open(0, &handle_), kUsbSuccess);
  Payload block{};
  ASSERT_EQ(Write(Command(kCommandOpenJob, 0)), kUsbSuccess);
  EXPECT_EQ(transferred_, kPayloadSize);
  EXPECT_EQ(Read(block), kUsbSuccess) << "the open-job answer";
  const std::vector<std::uint8_t> page = SamplePage(5);
  for (const Payload& command : PageWrite(0x3300, page)) ASSERT_EQ(Write(command), kUsbSuccess);
  EXPECT_EQ(Read(block), kUsbReadTimedOut);
  EXPECT_EQ(transferred_, 0u);

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
  ASSERT_EQ(bridge_->Close(handle_), kUsbSuccess);
  ASSERT_EQ(bridge_->Open(0, &handle_), kUsbSuccess);
  EXPECT_EQ(Read(block), kUsbReadTimedOut);
}

TEST_F(SimUsbBridge, RefusesOtherSizesAndHandlesAndFailsTheChosenTransfer) {
  ASSERT_EQ(bridge_->Open(0, &handle_), kUsbSuccess);
  EXPECT_NE(Write(Command(kCommandOpenJob, 0), kPayloadSize - 1), kUsbSuccess);
  EXPECT_NE(bridge_->Write(handle_ + 1, Command(kCommandOpenJob, 0).data(), kPayloadSize, &transferred_), 0);
  EXPECT_EQ(bridge_->WithEngine(0, [](DeviceEngine& engine) { return engine.Counters().exchanges; }), 0u);

  bridge_->WithEngine(0, [](DeviceEngine& engine) { engine.Faults().noReplyTo = 2; });
  Payload block{};
  EXPECT_EQ(Write(Command(kCommandOpenJob, 0)), kUsbSuccess);
  EXPECT_EQ(Read(block), kUsbReadError) << "reads count as transfers too";
  EXPECT_EQ(transferred_, 0u);
  EXPECT_EQ(Read(block), kUsbSuccess);
}

TEST_F(SimUsbBridge, TheChosenTransferComesUpShortOrReportsAFailureThoughItMovedTheBlock) {
  ASSERT_EQ(bridge_->Open(0, &handle_), kUsbSuccess);
  const auto failAt = [this](std::uint32_t transfer, UsbTransferFailure failure) {
    bridge_->WithEngine(0, [&](DeviceEngine& engine) {
      engine.Faults().usbTransferFault = {transfer, failure};
    });
  };
  failAt(1, UsbTransferFailure::kShort);
  EXPECT_EQ(Write(Command(kCommandOpenJob, 0)), kUsbSuccess);
  EXPECT_EQ(transferred_, kPayloadSize - 1);
  failAt(3, UsbTransferFailure::kWrongStatus);
  Payload block{};
  EXPECT_EQ(Read(block), kUsbSuccess);
  EXPECT_EQ(transferred_, kPayloadSize);
  EXPECT_EQ(Write(Command(kCommandOpenJob, 0)), kUsbWriteError);
  EXPECT_EQ(transferred_, kPayloadSize);
  EXPECT_EQ(Read(block), kUsbSuccess) << "the block went through";
}

TEST_F(SimUsbBridge, UnpluggingDropsTheDeviceAndItsHandlesForGoodUntilReplugged) {
  bridge_.emplace({Device("first"), Device(kDefaultProductString)});
  bridge_->WithEngine(1, [](DeviceEngine& engine) { engine.Faults().unplugAfterPages = 1; });
  ASSERT_EQ(bridge_->Open(1, &handle_), kUsbSuccess);
  for (const Payload& command : PageWrite(0, SamplePage(1))) EXPECT_EQ(Write(command), kUsbSuccess);
  EXPECT_NE(Write(AddressCommand(kCommandWrite, 0x100)), kUsbSuccess);
  EXPECT_EQ(ProductStrings(), std::vector<std::string>{"first"});
  EXPECT_NE(Write(AddressCommand(kCommandReadBack, 0)), kUsbSuccess);

  bridge_->Replug(1);
  EXPECT_EQ(ProductStrings().size(), 2u);
  EXPECT_NE(Write(Command(kCommandOpenJob, 0)), kUsbSuccess) << "a handle from before the unplug";
  UsbHandle fresh = kNoUsbDevice;
  ASSERT_EQ(bridge_->Open(1, &fresh), kUsbSuccess);
  EXPECT_EQ(bridge_->Close(handle_), kUsbSuccess);
  EXPECT_TRUE(bridge_->IsOpen(1)) << "closing the dead handle must not close the new one";
}

}  // namespace
}  // namespace quillon::sim
