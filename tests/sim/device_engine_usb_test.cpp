#include <gtest/gtest.h>

#include <vector>

#include "sim/device_engine.h"
#include "sim_test_support.h"

namespace quillon::sim {
namespace {

using testing::AddressCommand;
using testing::Command;
using testing::CorruptReadBack;
using testing::NoReplyTo;
using testing::PageWrite;
using testing::SamplePage;
using testing::UnplugAfter;

BlockTransfer Write(DeviceEngine& engine, const Payload& command) {
  return engine.WriteBlock(command);
}

TEST(SimEngineUsb, WritesAreNeverAnsweredExceptOpenJobAndReadBack) {
  DeviceEngine engine;
  for (const Payload& command : PageWrite(0x800, SamplePage(1))) {
    EXPECT_EQ(Write(engine, command), BlockTransfer::kDone);
  }
  EXPECT_EQ(Write(engine, Command(kCommandHandshake, 0)), BlockTransfer::kDone);
  EXPECT_EQ(engine.ReadableBlocks(), 0u);
  EXPECT_EQ(engine.Counters().pagesWritten, 1u);
  EXPECT_EQ(engine.Counters().handshakesAnswered, 0u);

  EXPECT_EQ(Write(engine, Command(kCommandOpenJob, 0)), BlockTransfer::kDone);
  EXPECT_EQ(engine.ReadableBlocks(), 1u);
  Payload answer{};
  EXPECT_EQ(engine.ReadBlock(answer), BlockTransfer::kDone);
  EXPECT_EQ(answer[0], kCommandOpenJob);
}

TEST(SimEngineUsb, ReadBackMakesEightBlocksLaidOutAsReadReplies) {
  DeviceEngine engine;
  const std::vector<std::uint8_t> page = SamplePage(2);
  for (const Payload& command : PageWrite(0x900, page)) Write(engine, command);
  ASSERT_EQ(Write(engine, AddressCommand(kCommandReadBack, 0x900)), BlockTransfer::kDone);
  ASSERT_EQ(engine.ReadableBlocks(), kChunksPerPage);

  std::vector<std::uint8_t> readBack;
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    Payload block{};
    ASSERT_EQ(engine.ReadBlock(block), BlockTransfer::kDone);
    EXPECT_EQ(block[0], kCommandReadRequest);
    EXPECT_EQ(block[1], n);
    readBack.insert(readBack.end(), block.begin() + 2, block.end());
  }
  EXPECT_EQ(readBack, page);
  EXPECT_EQ(engine.Counters().blocksRead, kChunksPerPage);
}

TEST(SimEngineUsb, ReadingWithNothingReadableSaysSoAtOnce) {
  DeviceEngine engine;
  Payload block{};
  EXPECT_EQ(engine.ReadBlock(block), BlockTransfer::kNothingReadable);
  Write(engine, Command(kCommandOpenJob, 0));
  EXPECT_EQ(engine.ReadBlock(block), BlockTransfer::kDone);
  EXPECT_EQ(engine.ReadBlock(block), BlockTransfer::kNothingReadable);
}

TEST(SimEngineUsb, TheChosenTransferFailsWhetherWriteOrRead) {
  DeviceEngine writeLost(NoReplyTo(2));
  EXPECT_EQ(Write(writeLost, Command(kCommandOpenJob, 0)), BlockTransfer::kDone);
  EXPECT_EQ(Write(writeLost, AddressCommand(kCommandWrite, 0)), BlockTransfer::kLost);
  EXPECT_EQ(writeLost.Counters().writeAddresses, 0u);

  DeviceEngine readLost(NoReplyTo(2));
  Payload block{};
  EXPECT_EQ(Write(readLost, Command(kCommandOpenJob, 0)), BlockTransfer::kDone);
  EXPECT_EQ(readLost.ReadBlock(block), BlockTransfer::kLost);
  EXPECT_EQ(readLost.ReadBlock(block), BlockTransfer::kDone);
}

TEST(SimEngineUsb, CorruptionShowsInReadBackBlocks) {
  DeviceEngine engine(CorruptReadBack(200));
  const std::vector<std::uint8_t> page = SamplePage(3);
  for (const Payload& command : PageWrite(0xA00, page)) Write(engine, command);
  Write(engine, AddressCommand(kCommandReadBack, 0xA00));
  std::vector<std::uint8_t> readBack;
  for (std::size_t n = 0; n < kChunksPerPage; ++n) {
    Payload block{};
    engine.ReadBlock(block);
    readBack.insert(readBack.end(), block.begin() + 2, block.end());
  }
  std::vector<std::uint8_t> expected = page;
  expected[200] ^= 0xFF;
  EXPECT_EQ(readBack, expected);
}

TEST(SimEngineUsb, TheTransferThatUnplugsAndEveryOneAfterItFail) {
  DeviceEngine engine(UnplugAfter(1));
  const std::vector<Payload> page = PageWrite(0xB00, SamplePage(4));
  for (std::size_t i = 0; i + 1 < page.size(); ++i) EXPECT_EQ(Write(engine, page[i]), BlockTransfer::kDone);
  EXPECT_EQ(Write(engine, page.back()), BlockTransfer::kUnplugged);
  EXPECT_EQ(engine.Memory().At(0xBFF), SamplePage(4)[255]) << "the page is in before the plug goes";
  EXPECT_EQ(Write(engine, AddressCommand(kCommandReadBack, 0xB00)), BlockTransfer::kUnplugged);
  Payload block{};
  EXPECT_EQ(engine.ReadBlock(block), BlockTransfer::kUnplugged);
}

}  // namespace
}  // namespace quillon::sim
