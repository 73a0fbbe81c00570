#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim/device_engine.h"
#include "sim_test_support.h"

namespace quillon::sim {
namespace {

using testing::AddressCommand;
using testing::Command;
using testing::CorruptReadBack;
using testing::Frame;
using testing::Frames;
using testing::GarbageBeforeReplies;
using testing::Handshakeless;
using testing::NoReplyTo;
using testing::PageWrite;
using testing::SamplePage;
using testing::UnplugAfter;

std::vector<std::uint8_t> Send(DeviceEngine& engine, const Payload& command) {
  return engine.ReceiveSerial(Frame(command), kHandshakeBaud);
}

void WritePage(DeviceEngine& engine, std::uint32_t address, const std::vector<std::uint8_t>& page) {
  for (const Payload& command : PageWrite(address, page)) Send(engine, command);
}

std::vector<std::uint8_t> ReadPage(DeviceEngine& engine, std::uint32_t address) {
  std::vector<std::uint8_t> page;
  Send(engine, AddressCommand(kCommandReadBack, address));
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    const std::vector<Payload> replies = Frames(Send(engine, Command(kCommandReadRequest, n)));
    if (replies.size() != 1) return {};
    page.insert(page.end(), replies[0].begin() + 2, replies[0].end());
  }
  return page;
}

TEST(SimEngineFaults, NoReplyToTheChosenCommandCountingTheHandshake) {
  DeviceEngine engine(NoReplyTo(3));
  EXPECT_FALSE(Send(engine, Command(kCommandHandshake, 0)).empty());
  EXPECT_FALSE(Send(engine, Command(kCommandOpenJob, 0)).empty());
  EXPECT_TRUE(Send(engine, AddressCommand(kCommandWrite, 0x300)).empty());
  EXPECT_FALSE(Send(engine, AddressCommand(kCommandWrite, 0x300)).empty());

  const DeviceCounters& counters = engine.Counters();
  EXPECT_EQ(counters.exchanges, 4u);
  EXPECT_EQ(counters.unansweredExchanges, 1u);
  EXPECT_EQ(counters.writeAddresses, 1u) << "the unanswered command must not take effect";
}

TEST(SimEngineFaults, NoReplyToTheFirstCommandSilencesTheHandshake) {
  DeviceEngine engine(NoReplyTo(1));
  EXPECT_TRUE(Send(engine, Command(kCommandHandshake, 0)).empty());
  EXPECT_EQ(Frames(Send(engine, Command(kCommandHandshake, 0))).size(), 1u);
}

TEST(SimEngineFaults, CorruptsOneByteOfEveryPageReadBackButNotTheFlash) {
  for (const std::uint8_t offset : {std::uint8_t{0}, std::uint8_t{31}, std::uint8_t{32}, std::uint8_t{255}}) {
    DeviceEngine engine(CorruptReadBack(offset));
    const std::vector<std::uint8_t> page = SamplePage(offset);
    WritePage(engine, 0x1000, page);
    WritePage(engine, 0x1100, page);

    for (const std::uint32_t address : {0x1000u, 0x1100u}) {
      std::vector<std::uint8_t> expected = page;
      expected[offset] ^= 0xFF;
      EXPECT_EQ(ReadPage(engine, address), expected) << "offset " << int{offset} << " page " << address;
    }
    EXPECT_EQ(engine.Memory().At(0x1000 + offset), page[offset]);
  }
}

TEST(SimEngineFaults, CorruptsOnlyTheChosenPage) {
  DeviceEngine engine(CorruptReadBack(100, 0x2200));
  const std::vector<std::uint8_t> page = SamplePage(7);
  WritePage(engine, 0x2100, page);
  WritePage(engine, 0x2200, page);

  EXPECT_EQ(ReadPage(engine, 0x2100), page);
  std::vector<std::uint8_t> corrupted = page;
  corrupted[100] ^= 0xFF;
  EXPECT_EQ(ReadPage(engine, 0x2200), corrupted);
}

TEST(SimEngineFaults, LeavesTheBusAsTheLastChunkOfTheChosenPageLandsUnanswered) {
  DeviceEngine engine(UnplugAfter(2));
  WritePage(engine, 0x000, SamplePage(1));
  const std::vector<Payload> second = PageWrite(0x100, SamplePage(2));
  for (std::size_t i = 0; i + 1 < second.size(); ++i) EXPECT_EQ(Send(engine, second[i]).size(), kFrameSize);
  EXPECT_FALSE(engine.Unplugged());
  EXPECT_TRUE(Send(engine, second.back()).empty());
  EXPECT_TRUE(engine.Unplugged());
  EXPECT_EQ(engine.Memory().At(0x1FF), SamplePage(2)[255]);

  EXPECT_TRUE(Send(engine, AddressCommand(kCommandReadBack, 0x100)).empty());
  WritePage(engine, 0x200, SamplePage(3));
  EXPECT_EQ(engine.Memory().At(0x200), kErasedByte);
  EXPECT_EQ(engine.Counters().pagesWritten, 2u);
  EXPECT_EQ(engine.PageLog(), (std::vector<std::uint32_t>{0x000, 0x100}));
}

TEST(SimEngineFaults, ReplugAnswersAgainWithFlashKeptAndTheUnplugDisarmed) {
  DeviceEngine engine(UnplugAfter(1));
  WritePage(engine, 0x500, SamplePage(8));
  ASSERT_TRUE(engine.Unplugged());
  // Half a frame sent while unplugged must not join up with what comes after the re-plug.
  const std::vector<std::uint8_t> frame = Frame(Command(kCommandOpenJob, 0));
  engine.ReceiveSerial(std::span(frame).subspan(0, 20), kHandshakeBaud);

  engine.Replug();
  EXPECT_FALSE(engine.Unplugged());
  EXPECT_EQ(ReadPage(engine, 0x500), SamplePage(8));
  WritePage(engine, 0x600, SamplePage(9));
  EXPECT_FALSE(engine.Unplugged());
}

TEST(SimEngineFaults, SendsGarbageWithoutAHeaderBeforeEveryReplyFrame) {
  for (const std::uint32_t garbage : {1u, 4u, 5u, 12u}) {
    DeviceEngine engine(GarbageBeforeReplies(garbage));
    WritePage(engine, 0x700, SamplePage(1));
    for (const Payload& command : {Command(kCommandHandshake, 0), AddressCommand(kCommandReadBack, 0x700),
                                   Command(kCommandReadRequest, 1)}) {
      const std::vector<std::uint8_t> reply = Send(engine, command);
      ASSERT_EQ(reply.size(), garbage + kFrameSize) << garbage;
      EXPECT_TRUE(std::equal(kFrameHeader.begin(), kFrameHeader.end(), reply.begin() + garbage));
      const auto header = std::search(reply.begin(), reply.end(), kFrameHeader.begin(), kFrameHeader.end());
      EXPECT_EQ(header - reply.begin(), std::ptrdiff_t{garbage}) << "a header inside the garbage";
      EXPECT_EQ(Frames(reply).size(), 1u);
    }
  }
}

TEST(SimEngineFaults, FirmwareFor115200OnlyNeverAnswersTheHandshake) {
  DeviceEngine engine(Handshakeless());
  EXPECT_TRUE(Send(engine, Command(kCommandHandshake, 0)).empty());
  EXPECT_EQ(engine.Counters().handshakes, 1u);
  EXPECT_EQ(engine.Counters().handshakesAnswered, 0u);
  EXPECT_EQ(Send(engine, Command(kCommandOpenJob, 0)).size(), kFrameSize);
}

}  // namespace
}  // namespace quillon::sim
