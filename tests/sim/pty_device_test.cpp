#include "sim/pty_device.h"

#include <gtest/gtest.h>
#include <sys/file.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "scratch_dir.h"
#include "sim_test_support.h"
#include "station_tty.h"

namespace quillon::sim {
namespace {

using testing::AddressCommand;
using testing::Command;
using testing::Frame;
using testing::Frames;
using testing::GarbageBeforeReplies;
using testing::Handshakeless;
using testing::NoReplyTo;
using testing::PageWrite;
using testing::SamplePage;
using testing::StationTty;
using testing::UnplugAfter;

constexpr std::uint32_t kFallbackBaud = 115200;

PtyDeviceOptions Options(DeviceFaults faults, std::filesystem::path linkPath = {},
                         std::uint32_t emulatedBaud = 0) {
  PtyDeviceOptions options;
  options.faults = faults;
  options.linkPath = std::move(linkPath);
  options.emulatedBaud = emulatedBaud;
  return options;
}

std::unique_ptr<PtyDevice> MakeDevice(const PtyDeviceOptions& options = {}) {
  std::string error;
  std::unique_ptr<PtyDevice> device = PtyDevice::Create(options, error);
  EXPECT_TRUE(device) << error;
  return device;
}

// Sends one command and returns the payloads of the frames that make up `replyBytes` bytes of answer.
std::vector<Payload> Exchange(StationTty& tty, const Payload& command, std::size_t replyBytes = kFrameSize) {
  if (!tty.Write(Frame(command))) return {};
  return Frames(tty.Read(replyBytes));
}

bool IsHandshakeReply(const Payload& payload) {
  return std::equal(kHandshakeReply.begin(), kHandshakeReply.end(), payload.begin());
}

TEST(SimPty, AnswersTheHandshakeAt460800) {
  const auto device = MakeDevice();
  ASSERT_TRUE(device);
  StationTty tty(device->SlavePath(), kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());

  const std::vector<Payload> replies = Exchange(tty, Command(kCommandHandshake, 0));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(IsHandshakeReply(replies[0]));
}

TEST(SimPty, At115200OnlyTheHandshakeGoesUnanswered) {
  const auto device = MakeDevice();
  ASSERT_TRUE(device);
  StationTty tty(device->SlavePath(), kFallbackBaud);
  ASSERT_TRUE(tty.Opened());

  ASSERT_TRUE(tty.Write(Frame(Command(kCommandHandshake, 0))));
  // The device answers in order, so the first frame back tells whether the handshake was answered.
  const std::vector<Payload> replies = Exchange(tty, Command(kCommandOpenJob, 0));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][0], kCommandOpenJob);
  EXPECT_EQ(device->WithEngine([](DeviceEngine& engine) { return engine.Counters().handshakes; }), 1u);
}

TEST(SimPty, FirmwareFor115200OnlyIgnoresTheHandshakeEvenAt460800) {
  const auto device = MakeDevice(Options(Handshakeless()));
  ASSERT_TRUE(device);
  StationTty tty(device->SlavePath(), kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());

  ASSERT_TRUE(tty.Write(Frame(Command(kCommandHandshake, 0))));
  const std::vector<Payload> replies = Exchange(tty, Command(kCommandOpenJob, 0));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][0], kCommandOpenJob);
}

TEST(SimPty, ProgramsAndVerifiesAPageTheStationsWay) {
  const auto device = MakeDevice();
  ASSERT_TRUE(device);
  StationTty tty(device->SlavePath(), kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());
  const std::vector<std::uint8_t> page = SamplePage(11);

  ASSERT_EQ(Exchange(tty, Command(kCommandOpenJob, 0)).size(), 1u);
  for (const Payload& command : PageWrite(0x061400, page)) ASSERT_EQ(Exchange(tty, command).size(), 1u);
  ASSERT_EQ(Exchange(tty, AddressCommand(kCommandReadBack, 0x061400)).size(), 1u);
  std::vector<std::uint8_t> readBack;
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    const std::vector<Payload> replies = Exchange(tty, Command(kCommandReadRequest, n));
    ASSERT_EQ(replies.size(), 1u);
    readBack.insert(readBack.end(), replies[0].begin() + 2, replies[0].end());
  }
  EXPECT_EQ(readBack, page);

  device->WithEngine([&](DeviceEngine& engine) {
    EXPECT_EQ(engine.PageLog(), std::vector<std::uint32_t>{0x061400});
    EXPECT_EQ(engine.Counters().readRequests, kChunksPerPage);
    EXPECT_EQ(engine.Memory().At(0x061400 + 255), page[255]);
  });
}

TEST(SimPty, ServesAStationThatClosesAndReopensTheTty) {
  const auto device = MakeDevice();
  ASSERT_TRUE(device);
  // While no station has the tty open the device must go on serving; every round gives it a chance
  // to notice the closed tty before the next open.
  for (int round = 0; round < 200; ++round) {
    StationTty tty(device->SlavePath(), kHandshakeBaud);
    ASSERT_TRUE(tty.Opened()) << "round " << round;
    const std::vector<Payload> replies = Exchange(tty, Command(kCommandHandshake, 0));
    ASSERT_EQ(replies.size(), 1u) << "round " << round;
    EXPECT_TRUE(IsHandshakeReply(replies[0]));
  }
}

TEST(SimPty, LeavesTheStationFreeToLockTheTtyExclusively) {
  const auto device = MakeDevice();
  ASSERT_TRUE(device);
  StationTty station(device->SlavePath(), kHandshakeBaud);
  ASSERT_TRUE(station.Opened());
  EXPECT_EQ(::flock(station.Fd(), LOCK_EX | LOCK_NB), 0);

  StationTty intruder(device->SlavePath(), kHandshakeBaud);
  ASSERT_TRUE(intruder.Opened());
  EXPECT_NE(::flock(intruder.Fd(), LOCK_EX | LOCK_NB), 0);
}

TEST(SimPty, UnplugHangsUpTheStationAndRemovesTheLinkUntilReplugged) {
  testing::ScratchDir dir;
  ASSERT_TRUE(dir.Made());
  const std::filesystem::path link = dir / "ttyWRITER";
  const auto device = MakeDevice(Options({}, link));
  ASSERT_TRUE(device);
  EXPECT_EQ(std::filesystem::read_symlink(link), device->SlavePath());

  StationTty before(link, kHandshakeBaud);
  ASSERT_TRUE(before.Opened());
  device->Unplug();
  EXPECT_TRUE(before.WaitForHangup());
  EXPECT_FALSE(device->Plugged());
  EXPECT_EQ(device->SlavePath(), "");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));

  std::string error;
  ASSERT_TRUE(device->Replug(error)) << error;
  EXPECT_EQ(std::filesystem::read_symlink(link), device->SlavePath());
  StationTty after(link, kHandshakeBaud);
  ASSERT_TRUE(after.Opened());
  const std::vector<Payload> replies = Exchange(after, Command(kCommandHandshake, 0));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(IsHandshakeReply(replies[0]));
}

TEST(SimPty, TheLastChunkOfTheChosenPageHangsUpInsteadOfAnswering) {
  testing::ScratchDir dir;
  ASSERT_TRUE(dir.Made());
  const std::filesystem::path link = dir / "ttyWRITER";
  const auto device = MakeDevice(Options(UnplugAfter(1), link));
  ASSERT_TRUE(device);
  StationTty tty(link, kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());

  const std::vector<Payload> page = PageWrite(0x100, SamplePage(2));
  for (std::size_t i = 0; i + 1 < page.size(); ++i) ASSERT_EQ(Exchange(tty, page[i]).size(), 1u);
  ASSERT_TRUE(tty.Write(Frame(page.back())));
  EXPECT_TRUE(tty.WaitForHangup());
  EXPECT_FALSE(device->Plugged());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));

  std::string error;
  ASSERT_TRUE(device->Replug(error)) << error;
  StationTty again(link, kHandshakeBaud);
  ASSERT_TRUE(again.Opened());
  ASSERT_EQ(Exchange(again, AddressCommand(kCommandReadBack, 0x100)).size(), 1u);
  const std::vector<Payload> replies = Exchange(again, Command(kCommandReadRequest, 1));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][2], SamplePage(2)[0]) << "flash outlives the unplug";
}

TEST(SimPty, GarbageArrivesBeforeEachReplyFrame) {
  const auto device = MakeDevice(Options(GarbageBeforeReplies(3)));
  ASSERT_TRUE(device);
  StationTty tty(device->SlavePath(), kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());

  ASSERT_TRUE(tty.Write(Frame(Command(kCommandOpenJob, 0))));
  const std::vector<std::uint8_t> reply = tty.Read(3 + kFrameSize);
  ASSERT_EQ(reply.size(), 3 + kFrameSize);
  EXPECT_TRUE(std::equal(kFrameHeader.begin(), kFrameHeader.end(), reply.begin() + 3));
  EXPECT_EQ(Frames(reply).size(), 1u);
}

TEST(SimPty, TheUnansweredCommandLeavesTheStationWaitingForTheNextOne) {
  const auto device = MakeDevice(Options(NoReplyTo(1)));
  ASSERT_TRUE(device);
  StationTty tty(device->SlavePath(), kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());

  ASSERT_TRUE(tty.Write(Frame(Command(kCommandHandshake, 0))));
  const std::vector<Payload> replies = Exchange(tty, Command(kCommandOpenJob, 0));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][0], kCommandOpenJob);
}

TEST(SimPty, AnEmulatedBaudRateTakesAtLeastTheWireTimeOfCommandAndReply) {
  constexpr std::uint32_t kSlowBaud = 9600;  // about 1 ms a byte: 78 bytes out and back take over 80 ms
  const auto device = MakeDevice(Options({}, {}, kSlowBaud));
  ASSERT_TRUE(device);
  StationTty tty(device->SlavePath(), kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());

  const auto start = std::chrono::steady_clock::now();
  const std::vector<Payload> replies = Exchange(tty, Command(kCommandOpenJob, 0));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_GE(elapsed, 2 * kFrameSize * WirePacer(kSlowBaud).ByteTime());
}

}  // namespace
}  // namespace quillon::sim
