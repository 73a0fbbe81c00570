#include "sim/pty_device.h"
#include "tests/support/simulated_device.h"

#include <gtest/gtest.h>
#include <sys/file.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "link/os/temporary_directory.h"
#include "sim_test_support.h"
#include "station_tty.h"

namespace quillon::sim {
namespace {

using namespace testing;

class SimPty : public ::testing::Test {
 protected:
  void Start(PtyDeviceOptions options = {}) {
    options.linkPath = m_link;
    m_device = quillon::testing::SimulatedDevice(options);
    ASSERT_TRUE(m_device);
  }
  // One command and the frames in the one frame's worth of answer it gets.
  static std::vector<Payload> Exchange(StationTty& tty, const Payload& command) {
    return tty.Write(Frame(command)) ? Frames(tty.Read(kFrameSize)) : std::vector<Payload>{};
  }
  static bool Handshakes(StationTty& tty) {
    const std::vector<Payload> replies = Exchange(tty, Command(kCommandHandshake, 0));
    return replies.size() == 1 && IsHandshakeReply(replies[0]);
  }
  bool LinkExists() const { return std::filesystem::exists(std::filesystem::symlink_status(m_link)); }

  TemporaryDirectory m_dir{"quillon-sim"};
  std::filesystem::path m_link = m_dir / "ttyWRITER";
  std::unique_ptr<PtyDevice> m_device;
};

TEST_F(SimPty, AnswersTheHandshakeAt460800ButNotAt115200) {
  Start();
  StationTty fast(m_link, kHandshakeBaud);
  ASSERT_TRUE(fast.Opened());
  EXPECT_TRUE(Handshakes(fast));

  StationTty slow(m_link, 115200);
  ASSERT_TRUE(slow.Write(Frame(Command(kCommandHandshake, 0))));
  // Answers come in order, so the first frame back shows whether the handshake was answered.
  const std::vector<Payload> replies = Exchange(slow, Command(kCommandOpenJob, 0));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][0], kCommandOpenJob);
}

TEST_F(SimPty, ProgramsAndVerifiesAPageTheStationsWay) {
  Start();
  StationTty tty(m_device->SlavePath(), kHandshakeBaud);
  const std::vector<std::uint8_t> page = SamplePage(11);
  for (const Payload& command : PageWrite(0x061400, page)) ASSERT_EQ(Exchange(tty, command).size(), 1u);
  ASSERT_EQ(Exchange(tty, AddressCommand(kCommandReadBack, 0x061400)).size(), 1u);
  std::vector<std::uint8_t> readBack;
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    const std::vector<Payload> replies = Exchange(tty, Command(kCommandReadRequest, n));
    ASSERT_EQ(replies.size(), 1u);
    readBack.insert(readBack.end(), replies[0].begin() + 2, replies[0].end());
  }
  EXPECT_EQ(readBack, page);
  EXPECT_EQ(m_device->WithEngine([](DeviceEngine& engine) { return engine.PageLog(); }),
            std::vector<std::uint32_t>{0x061400});
}

TEST_F(SimPty, ServesAStationThatReopensTheTtyAndLetsItLockTheTty) {
  Start();
  // Each round gives the device a chance to find the tty closed by everyone but itself.
  for (int round = 0; round < 200; ++round) {
    StationTty tty(m_link, kHandshakeBaud);
    ASSERT_TRUE(Handshakes(tty)) << "round " << round;
  }
  StationTty station(m_link, kHandshakeBaud);
  EXPECT_EQ(::flock(station.Fd(), LOCK_EX | LOCK_NB), 0);
}

TEST_F(SimPty, UnplugHangsUpTheStationAndReplugComesBackBehindTheLink) {
  Start();
  StationTty before(m_link, kHandshakeBaud);
  ASSERT_TRUE(before.Opened());
  m_device->Unplug();
  EXPECT_TRUE(before.WaitForHangup());
  EXPECT_FALSE(LinkExists());
  EXPECT_EQ(m_device->SlavePath(), "");

  ASSERT_TRUE(quillon::testing::Replugged(*m_device));
  EXPECT_EQ(std::filesystem::read_symlink(m_link), m_device->SlavePath());
  StationTty after(m_link, kHandshakeBaud);
  EXPECT_TRUE(Handshakes(after));
}

TEST_F(SimPty, ThePageAfterTheChosenOneHangsUpTheStation) {
  PtyDeviceOptions options;
  options.faults.unplugAfterPages = 1;
  Start(options);
  StationTty tty(m_link, kHandshakeBaud);
  for (const Payload& command : PageWrite(0x100, SamplePage(2))) ASSERT_EQ(Exchange(tty, command).size(), 1u);
  ASSERT_TRUE(tty.Write(Frame(AddressCommand(kCommandWrite, 0x200))));
  EXPECT_TRUE(tty.WaitForHangup());
  EXPECT_FALSE(LinkExists());
  EXPECT_FALSE(m_device->Plugged());
}

TEST_F(SimPty, RefusesToPutItsLinkOverAFile) {
  std::ofstream(m_link) << "not a tty";
  PtyDeviceOptions options;
  options.linkPath = m_link;
  const Result<std::unique_ptr<PtyDevice>> device = PtyDevice::Create(options);
  ASSERT_FALSE(device.Ok());
  EXPECT_NE(device.Failure().words.find("not a symbolic link"), std::string::npos) << device.Failure().words;
}

TEST_F(SimPty, AnEmulatedBaudRateTakesAtLeastTheWireTimeOfCommandAndReply) {
  PtyDeviceOptions options;
  options.emulatedBaud = 9600;  // about 1 ms a byte
  Start(options);
  StationTty tty(m_link, kHandshakeBaud);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Exchange(tty, Command(kCommandOpenJob, 0)).size(), 1u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 2 * kFrameSize * WirePacer(9600).ByteTime());
}

}  // namespace
}  // namespace quillon::sim
