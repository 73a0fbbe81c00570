#include "sim/device_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim_test_support.h"

namespace quillon::sim {
namespace {

using namespace testing;

class SimEngine : public ::testing::Test {
 protected:
  std::vector<std::uint8_t> Send(const Payload& command, std::uint32_t baud = kHandshakeBaud) {
    return m_engine.ReceiveSerial(Frame(command), baud);
  }
  void WritePage(std::uint32_t address, const std::vector<std::uint8_t>& page) {
    for (const Payload& command : PageWrite(address, page)) Send(command);
  }
  // The station's read-back: the address, then requests 1..8, each answered by one frame.
  std::vector<std::uint8_t> ReadPage(std::uint32_t address) {
    std::vector<std::uint8_t> page;
    EXPECT_EQ(Send(AddressCommand(kCommandReadBack, address)).size(), kFrameSize);
    for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
      const std::vector<Payload> replies = Frames(Send(Command(kCommandReadRequest, n)));
      if (replies.size() != 1 || replies[0][0] != kCommandReadRequest || replies[0][1] != n) return {};
      page.insert(page.end(), replies[0].begin() + 2, replies[0].end());
    }
    return page;
  }
  std::uint8_t FlashAt(std::uint32_t address) const { return m_engine.Memory().At(address); }

  DeviceEngine m_engine;
};

TEST_F(SimEngine, FindsTheFrameAmidGarbageAndABrokenFrameAndAnswersOnItsLastByte) {
  std::vector<std::uint8_t> stream = {0x00, 0x81, 0x18, 0x11, 0xAA, 0x55};  // a header's start, then noise
  const std::vector<std::uint8_t> broken = Frame(Command(kCommandOpenJob, 0));
  stream.insert(stream.end(), broken.begin(), broken.begin() + 20);  // restarted by the next header
  const std::vector<std::uint8_t> whole = Frame(AddressCommand(kCommandReadBack, 0x10));
  stream.insert(stream.end(), whole.begin(), whole.end());

  for (std::size_t i = 0; i < stream.size(); ++i) {
    std::vector<std::uint8_t> reply;
    m_engine.ReceiveSerialByte(stream[i], kHandshakeBaud, reply);
    EXPECT_EQ(reply.empty(), i + 1 < stream.size()) << "byte " << i;
  }
  EXPECT_EQ(m_engine.Counters().exchanges, 1u);
  EXPECT_EQ(m_engine.Counters().readBackAddresses, 1u);
}

TEST_F(SimEngine, HeaderBytesWithAnythingBetweenThemAreNoHeader) {
  for (std::size_t gap = 1; gap < kFrameHeaderSize; ++gap) {
    std::vector<std::uint8_t> stream = Frame(Command(kCommandOpenJob, 0));
    stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(gap), 0x00);
    EXPECT_TRUE(m_engine.ReceiveSerial(stream, kHandshakeBaud).empty()) << "gap before header byte " << gap;
  }
}

TEST_F(SimEngine, FlashStartsErasedAndAcknowledgementsAreWholeFramesEchoingTheCommand) {
  const auto image = m_engine.Memory().Image();
  EXPECT_EQ(image.size(), std::size_t{16} << 20);
  EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](std::uint8_t byte) { return byte == 0xFF; }));

  const std::vector<Payload> commands = {Command(kCommandOpenJob, 0), PageWrite(0x100, SamplePage(1))[0],
                                         PageWrite(0x100, SamplePage(1))[1],
                                         AddressCommand(kCommandReadBack, 0x100)};
  for (const Payload& command : commands) {
    const std::vector<std::uint8_t> reply = Send(command);
    ASSERT_EQ(reply.size(), kFrameSize);
    EXPECT_TRUE(std::equal(kFrameHeader.begin(), kFrameHeader.end(), reply.begin()));
    EXPECT_EQ(reply[kFrameHeaderSize], command[0]);
    EXPECT_EQ(reply[kFrameHeaderSize + 1], command[1]);
  }
  const DeviceCounters& counters = m_engine.Counters();
  EXPECT_EQ(counters.openJobs + counters.writeAddresses + counters.chunks + counters.readBackAddresses, 4u);
}

TEST_F(SimEngine, WritesAPageAtItsAddressCountsItOnTheLastChunkAndReadsItBack) {
  const std::vector<std::uint8_t> page = SamplePage(3);
  const std::vector<Payload> commands = PageWrite(0x012300, page);
  for (std::size_t i = 0; i + 1 < commands.size(); ++i) Send(commands[i]);
  EXPECT_EQ(m_engine.Counters().pagesWritten, 0u);
  Send(commands.back());
  EXPECT_EQ(m_engine.PageLog(), std::vector<std::uint32_t>{0x012300});

  EXPECT_EQ(FlashAt(0x012300), page[0]);
  EXPECT_EQ(FlashAt(0x0123FF), page[255]);
  EXPECT_EQ(FlashAt(0x0122FF), kErasedByte);
  EXPECT_EQ(FlashAt(0x012400), kErasedByte);
  EXPECT_EQ(ReadPage(0x012300), page);
  EXPECT_EQ(ReadPage(0x012400), std::vector<std::uint8_t>(kPageSize, kErasedByte));
}

TEST_F(SimEngine, AddressesWrapAtTwentyFourBits) {
  WritePage(0xFFFF80, SamplePage(5));
  EXPECT_EQ(FlashAt(0x000000), SamplePage(5)[128]);
  EXPECT_EQ(ReadPage(0xFFFF80), SamplePage(5));
}

TEST_F(SimEngine, AnswersTheHandshakeOnlyAt460800Baud) {
  EXPECT_TRUE(Send(Command(kCommandHandshake, 0), 115200).empty());
  const std::vector<Payload> replies = Frames(Send(Command(kCommandHandshake, 0)));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(IsHandshakeReply(replies[0]));
  EXPECT_EQ(m_engine.Counters().handshakesAnswered, 1u);
}

TEST_F(SimEngine, LeavesUnknownCommandsUnanswered) {
  const std::vector<Payload> unknown = {Command('x', 0),
                                        Command(kCommandWrite, 0x81),
                                        Command(kCommandWrite, kSubcommandFirstChunk + kChunksPerPage),
                                        Command(kCommandOpenJob, 1),
                                        Command(kCommandReadRequest, 0),
                                        Command(kCommandReadRequest, kChunksPerPage + 1)};
  for (const Payload& command : unknown) EXPECT_TRUE(Send(command).empty()) << int{command[1]};
  EXPECT_EQ(m_engine.Counters().unknownCommands, unknown.size());
}

TEST_F(SimEngine, NoReplyToTheChosenExchangeCountingTheHandshake) {
  m_engine.Faults().noReplyTo = 2;
  EXPECT_FALSE(Send(Command(kCommandHandshake, 0)).empty());
  EXPECT_TRUE(Send(AddressCommand(kCommandWrite, 0x300)).empty());
  EXPECT_FALSE(Send(Command(kCommandOpenJob, 0)).empty());
  EXPECT_EQ(m_engine.Counters().writeAddresses, 0u) << "the lost command must not take effect";
}

TEST_F(SimEngine, CorruptsOneByteOfTheChosenPageReadBackButNotTheFlash) {
  const std::vector<std::uint8_t> page = SamplePage(7);
  WritePage(0x2100, page);
  WritePage(0x2200, page);
  for (const std::uint8_t offset : {std::uint8_t{0}, std::uint8_t{255}}) {
    m_engine.Faults().corruptReadBack = ReadBackCorruption{offset, 0x2200};
    std::vector<std::uint8_t> corrupted = page;
    corrupted[offset] ^= 0xFF;
    EXPECT_EQ(ReadPage(0x2200), corrupted) << int{offset};
    EXPECT_EQ(ReadPage(0x2100), page) << int{offset};
    EXPECT_EQ(FlashAt(0x2200 + offset), page[offset]);
  }
  m_engine.Faults().corruptReadBack = ReadBackCorruption{40, std::nullopt};
  EXPECT_NE(ReadPage(0x2100), page) << "without a page every page is corrupted";
}

TEST_F(SimEngine, LeavesTheBusAsThePageAfterTheChosenOneBeginsAndComesBackWithItsFlash) {
  m_engine.Faults().unplugAfterPages = 1;
  for (const Payload& command : PageWrite(0x100, SamplePage(2))) EXPECT_EQ(Send(command).size(), kFrameSize);
  EXPECT_EQ(ReadPage(0x100), SamplePage(2)) << "the chosen page can still be verified";
  EXPECT_FALSE(m_engine.Unplugged());
  EXPECT_TRUE(Send(AddressCommand(kCommandWrite, 0x200)).empty()) << "the next page goes unanswered";
  EXPECT_TRUE(m_engine.Unplugged());
  EXPECT_TRUE(Send(Command(kCommandOpenJob, 0)).empty());

  m_engine.Replug();
  EXPECT_EQ(ReadPage(0x100), SamplePage(2));
  WritePage(0x200, SamplePage(3));
  EXPECT_FALSE(m_engine.Unplugged()) << "a re-plug disarms the fault";
}

TEST_F(SimEngine, SendsGarbageWithoutAHeaderBeforeEveryReplyFrame) {
  for (const std::uint32_t garbage : {1u, 5u, 12u}) {
    m_engine.Faults().garbageBeforeReplies = garbage;
    for (const Payload& command : {Command(kCommandHandshake, 0), Command(kCommandReadRequest, 1)}) {
      const std::vector<std::uint8_t> reply = Send(command);
      const auto header = std::search(reply.begin(), reply.end(), kFrameHeader.begin(), kFrameHeader.end());
      EXPECT_EQ(header - reply.begin(), static_cast<std::ptrdiff_t>(garbage));
      EXPECT_EQ(reply.size(), garbage + kFrameSize);
    }
  }
}

TEST_F(SimEngine, FirmwareFor115200OnlyNeverAnswersTheHandshake) {
  m_engine.Faults().handshakeless = true;
  EXPECT_TRUE(Send(Command(kCommandHandshake, 0)).empty());
  EXPECT_EQ(Send(Command(kCommandOpenJob, 0)).size(), kFrameSize);
}

TEST_F(SimEngine, ALateHandshakeReplyComesWithTheNextReplyAtItsSpeedAndIsLostAtAnother) {
  m_engine.Faults().lateHandshake = true;
  EXPECT_TRUE(Send(Command(kCommandHandshake, 0)).empty());
  const std::vector<Payload> replies = Frames(Send(Command(kCommandOpenJob, 0)));
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_TRUE(std::equal(kHandshakeReply.begin(), kHandshakeReply.end(), replies[0].begin()));
  EXPECT_EQ(replies[1][0], kCommandOpenJob);

  EXPECT_TRUE(Send(Command(kCommandHandshake, 0)).empty());
  EXPECT_EQ(Frames(Send(Command(kCommandOpenJob, 0), 115200)).size(), 1u) << "only the acknowledgement";
}

}  // namespace
}  // namespace quillon::sim
