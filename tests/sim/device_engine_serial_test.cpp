#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim/device_engine.h"
#include "sim_test_support.h"

namespace quillon::sim {
namespace {

using testing::AddressCommand;
using testing::ChunkCommand;
using testing::Command;
using testing::Frame;
using testing::Frames;
using testing::PageWrite;
using testing::SamplePage;

constexpr std::uint32_t kFallbackBaud = 115200;

std::vector<std::uint8_t> Send(DeviceEngine& engine, const Payload& command,
                               std::uint32_t baud = kHandshakeBaud) {
  return engine.ReceiveSerial(Frame(command), baud);
}

void WritePage(DeviceEngine& engine, std::uint32_t address, const std::vector<std::uint8_t>& page) {
  for (const Payload& command : PageWrite(address, page)) ASSERT_EQ(Send(engine, command).size(), kFrameSize);
}

// Reads a page back the station's way: read-back address, then requests 1..8.
std::vector<std::uint8_t> ReadPage(DeviceEngine& engine, std::uint32_t address) {
  std::vector<std::uint8_t> page;
  EXPECT_EQ(Send(engine, AddressCommand(kCommandReadBack, address)).size(), kFrameSize);
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    const std::vector<Payload> replies = Frames(Send(engine, Command(kCommandReadRequest, n)));
    if (replies.size() != 1) {
      ADD_FAILURE() << "read request " << int{n} << " got " << replies.size() << " frames";
      return {};
    }
    EXPECT_EQ(replies[0][0], kCommandReadRequest);
    EXPECT_EQ(replies[0][1], n);
    page.insert(page.end(), replies[0].begin() + 2, replies[0].end());
  }
  return page;
}

std::vector<std::uint8_t> FlashBytes(const DeviceEngine& engine, std::uint32_t address, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  engine.Memory().Read(address, bytes);
  return bytes;
}

TEST(SimEngineSerial, FlashStartsErased) {
  const DeviceEngine engine;
  const auto image = engine.Memory().Image();
  EXPECT_EQ(image.size(), std::size_t{16} * 1024 * 1024);
  EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](std::uint8_t byte) { return byte == 0xFF; }));
}

TEST(SimEngineSerial, AcknowledgesEveryCommandWithOneWholeFrame) {
  DeviceEngine engine;
  const std::vector<Payload> commands = {Command(kCommandOpenJob, 0), AddressCommand(kCommandWrite, 0x100),
                                         ChunkCommand(0, SamplePage(1)),
                                         AddressCommand(kCommandReadBack, 0x100)};
  for (const Payload& command : commands) {
    const std::vector<std::uint8_t> reply = Send(engine, command);
    ASSERT_EQ(reply.size(), kFrameSize) << "command " << command[0];
    EXPECT_TRUE(std::equal(kFrameHeader.begin(), kFrameHeader.end(), reply.begin()));
    EXPECT_EQ(reply[kFrameHeaderSize], command[0]);
    EXPECT_EQ(reply[kFrameHeaderSize + 1], command[1]);
  }
  const DeviceCounters& counters = engine.Counters();
  EXPECT_EQ(counters.openJobs, 1u);
  EXPECT_EQ(counters.writeAddresses, 1u);
  EXPECT_EQ(counters.chunks, 1u);
  EXPECT_EQ(counters.readBackAddresses, 1u);
  EXPECT_EQ(counters.exchanges, 4u);
}

TEST(SimEngineSerial, WritesAPageWhereItsAddressSaysAndReadsItBack) {
  DeviceEngine engine;
  const std::vector<std::uint8_t> page = SamplePage(3);
  WritePage(engine, 0x012300, page);

  EXPECT_EQ(FlashBytes(engine, 0x012300, kPageSize), page);
  EXPECT_EQ(engine.Memory().At(0x0122FF), kErasedByte);
  EXPECT_EQ(engine.Memory().At(0x012400), kErasedByte);
  EXPECT_EQ(ReadPage(engine, 0x012300), page);
  EXPECT_EQ(engine.Counters().readRequests, kChunksPerPage);
}

TEST(SimEngineSerial, ReadBackFollowsTheReadBackAddressNotTheWriteAddress) {
  DeviceEngine engine;
  WritePage(engine, 0x000000, SamplePage(1));
  WritePage(engine, 0x000100, SamplePage(2));
  EXPECT_EQ(ReadPage(engine, 0x000000), SamplePage(1));
  EXPECT_EQ(ReadPage(engine, 0x000200), std::vector<std::uint8_t>(kPageSize, kErasedByte));
}

TEST(SimEngineSerial, EachChunkLandsAtItsOwnOffset) {
  DeviceEngine engine;
  const std::vector<std::uint8_t> page = SamplePage(9);
  Send(engine, AddressCommand(kCommandWrite, 0x4000));
  Send(engine, ChunkCommand(5, page));

  EXPECT_EQ(FlashBytes(engine, 0x4000 + 5 * kChunkSize, kChunkSize),
            std::vector<std::uint8_t>(page.begin() + 5 * kChunkSize, page.begin() + 6 * kChunkSize));
  EXPECT_EQ(engine.Memory().At(0x4000 + 5 * kChunkSize - 1), kErasedByte);
  EXPECT_EQ(engine.Memory().At(0x4000 + 6 * kChunkSize), kErasedByte);
}

TEST(SimEngineSerial, APageCountsAsWrittenWhenItsLastChunkArrives) {
  DeviceEngine engine;
  const std::vector<Payload> commands = PageWrite(0x0A0B00, SamplePage(4));
  for (std::size_t i = 0; i + 1 < commands.size(); ++i) Send(engine, commands[i]);
  EXPECT_EQ(engine.Counters().pagesWritten, 0u);
  EXPECT_TRUE(engine.PageLog().empty());

  Send(engine, commands.back());
  EXPECT_EQ(engine.Counters().pagesWritten, 1u);
  EXPECT_EQ(engine.PageLog(), std::vector<std::uint32_t>{0x0A0B00});
  EXPECT_EQ(engine.Counters().chunks, kChunksPerPage);
}

TEST(SimEngineSerial, AddressesWrapAtTwentyFourBits) {
  DeviceEngine engine;
  const std::vector<std::uint8_t> page = SamplePage(5);
  WritePage(engine, 0xFFFF80, page);
  EXPECT_EQ(FlashBytes(engine, 0xFFFF80, 128), std::vector<std::uint8_t>(page.begin(), page.begin() + 128));
  EXPECT_EQ(FlashBytes(engine, 0x000000, 128), std::vector<std::uint8_t>(page.begin() + 128, page.end()));
  EXPECT_EQ(ReadPage(engine, 0xFFFF80), page);
}

TEST(SimEngineSerial, AnswersTheHandshakeOnlyAt460800Baud) {
  DeviceEngine engine;
  EXPECT_TRUE(Send(engine, Command(kCommandHandshake, 0), kFallbackBaud).empty());
  EXPECT_TRUE(Send(engine, Command(kCommandHandshake, 0), 9600).empty());

  const std::vector<Payload> replies = Frames(Send(engine, Command(kCommandHandshake, 0), kHandshakeBaud));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(std::equal(kHandshakeReply.begin(), kHandshakeReply.end(), replies[0].begin()));
  EXPECT_EQ(engine.Counters().handshakes, 3u);
  EXPECT_EQ(engine.Counters().handshakesAnswered, 1u);
}

TEST(SimEngineSerial, LeavesUnknownCommandsUnanswered) {
  DeviceEngine engine;
  const std::vector<Payload> unknown = {Command('x', 0),
                                        Command(kCommandWrite, 0x81),
                                        Command(kCommandWrite, kSubcommandFirstChunk + kChunksPerPage),
                                        Command(kCommandReadBack, 0),
                                        Command(kCommandOpenJob, 1),
                                        Command(kCommandReadRequest, 0),
                                        Command(kCommandReadRequest, kChunksPerPage + 1)};
  for (const Payload& command : unknown) EXPECT_TRUE(Send(engine, command).empty()) << int{command[1]};
  EXPECT_EQ(engine.Counters().unknownCommands, unknown.size());
  EXPECT_EQ(engine.Counters().chunks, 0u);
  EXPECT_EQ(engine.Counters().readRequests, 0u);
}

TEST(SimEngineSerial, AnswersOnlyOnceAFrameSplitAcrossReadsIsComplete) {
  DeviceEngine engine;
  const std::vector<std::uint8_t> frame = Frame(Command(kCommandOpenJob, 0));
  const std::span<const std::uint8_t> bytes(frame);
  EXPECT_TRUE(engine.ReceiveSerial(bytes.subspan(0, 3), kHandshakeBaud).empty());
  EXPECT_TRUE(engine.ReceiveSerial(bytes.subspan(3, 20), kHandshakeBaud).empty());
  EXPECT_EQ(engine.ReceiveSerial(bytes.subspan(23), kHandshakeBaud).size(), kFrameSize);
}

TEST(SimEngineSerial, AnswersEachFrameOfABurstInOrder) {
  DeviceEngine engine;
  WritePage(engine, 0x2000, SamplePage(6));
  std::vector<std::uint8_t> burst = Frame(AddressCommand(kCommandReadBack, 0x2000));
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    const std::vector<std::uint8_t> request = Frame(Command(kCommandReadRequest, n));
    burst.insert(burst.end(), request.begin(), request.end());
  }
  const std::vector<Payload> replies = Frames(engine.ReceiveSerial(burst, kHandshakeBaud));
  ASSERT_EQ(replies.size(), 1 + kChunksPerPage);
  EXPECT_EQ(replies[0][0], kCommandReadBack);
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) EXPECT_EQ(replies[n][1], n);
}

}  // namespace
}  // namespace quillon::sim
