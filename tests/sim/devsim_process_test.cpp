// quillon-devsim run as a child process, as scripts and the end-to-end tests run it.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "link/os/temporary_directory.h"
#include "sim/device_engine.h"
#include "sim_test_support.h"
#include "station_tty.h"
#include "tests/support/child_process.h"

namespace quillon::sim {
namespace {

using namespace testing;
using quillon::testing::ChildProcess;

// quillon-devsim with the arguments given.
class Devsim : public ChildProcess {
 public:
  explicit Devsim(std::vector<std::string> arguments) : ChildProcess(WithProgram(std::move(arguments))) {}

 private:
  static std::vector<std::string> WithProgram(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), QUILLON_DEVSIM_PATH);
    return arguments;
  }
};

TEST(SimDevsimProcess, PrintsItsTtyServesItAndDumpsTheFlashOnSigterm) {
  TemporaryDirectory dir{"quillon-sim"};
  Devsim devsim({"--dump", (dir / "flash.bin").string()});
  StationTty tty(devsim.Read(), kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());
  ASSERT_TRUE(tty.Write(Frame(Command(kCommandHandshake, 0))));
  const std::vector<Payload> handshake = Frames(tty.Read(kFrameSize));
  ASSERT_EQ(handshake.size(), 1u);
  EXPECT_TRUE(IsHandshakeReply(handshake[0]));
  for (const Payload& command : PageWrite(0x000300, SamplePage(21))) {
    ASSERT_TRUE(tty.Write(Frame(command)));
    ASSERT_EQ(tty.Read(kFrameSize).size(), kFrameSize);
  }

  ASSERT_TRUE(devsim.Signal(SIGTERM));
  ASSERT_EQ(devsim.Finish(), 0);
  std::ifstream file(dir / "flash.bin", std::ios::binary);
  const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(file),
                                        std::istreambuf_iterator<char>()};
  ASSERT_EQ(image.size(), kFlashSize);
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 0x300, image.begin() + 0x400), SamplePage(21));
  EXPECT_EQ(image[0x400], kErasedByte);
}

TEST(SimDevsimProcess, ComesBackBehindItsLinkOnSigusr1AfterUnplugging) {
  TemporaryDirectory dir{"quillon-sim"};
  Devsim devsim({"--link", (dir / "ttyW").string(), "--unplug-after", "1"});
  ASSERT_NE(devsim.Read(), "");
  StationTty tty(dir / "ttyW", kHandshakeBaud);
  for (const Payload& command : PageWrite(0, SamplePage(1))) ASSERT_TRUE(tty.Write(Frame(command)));
  ASSERT_TRUE(tty.Write(Frame(AddressCommand(kCommandWrite, 0x100))));
  ASSERT_TRUE(tty.WaitForHangup());

  ASSERT_TRUE(devsim.Signal(SIGUSR1));
  const std::string replugged = devsim.Read();
  EXPECT_EQ(std::filesystem::read_symlink(dir / "ttyW"), replugged);
  StationTty again(dir / "ttyW", kHandshakeBaud);
  ASSERT_TRUE(again.Write(Frame(Command(kCommandHandshake, 0))));
  EXPECT_EQ(Frames(again.Read(kFrameSize)).size(), 1u);
}

TEST(SimDevsimProcess, ServesTwoDevicesEachWithItsOwnFlashLinkAndDump) {
  TemporaryDirectory dir{"quillon-sim"};
  Devsim devsim({"--devices", "2", "--link", (dir / "ttyQ").string(), "--dump", (dir / "flash.bin").string(),
                 "--baud-delay", "460800", "--answer-delay", "100:50"});
  const std::string first = devsim.Read();
  const std::string second = devsim.Read();
  EXPECT_EQ(std::filesystem::read_symlink(dir / "ttyQ1"), first);
  EXPECT_EQ(std::filesystem::read_symlink(dir / "ttyQ2"), second);
  StationTty tty(dir / "ttyQ2", kHandshakeBaud);
  for (const Payload& command : PageWrite(0x000300, SamplePage(21))) {
    ASSERT_TRUE(tty.Write(Frame(command)));
    ASSERT_EQ(Frames(tty.Read(kFrameSize)).size(), 1u);
  }

  ASSERT_TRUE(devsim.Signal(SIGTERM));
  ASSERT_EQ(devsim.Finish(), 0);
  auto image = [&](const char* name) {
    std::ifstream file(dir / name, std::ios::binary);
    return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  };
  const std::vector<std::uint8_t> written = image("flash2.bin");
  ASSERT_EQ(written.size(), kFlashSize);
  EXPECT_EQ(std::vector<std::uint8_t>(written.begin() + 0x300, written.begin() + 0x400), SamplePage(21));
  const std::vector<std::uint8_t> untouched = image("flash1.bin");
  ASSERT_EQ(untouched.size(), kFlashSize);
  EXPECT_EQ(std::ranges::count(untouched, kErasedByte), static_cast<std::ptrdiff_t>(kFlashSize));
}

TEST(SimDevsimProcess, HelpListsTheOptionsAndBadUsageExitsWithTwo) {
  std::string help;
  EXPECT_EQ(Devsim({"--help"}).Finish(&help), 0);
  for (const char* option :
       {"--link", "--dump", "--baud-delay", "--no-reply", "--corrupt-offset", "--corrupt-page",
        "--unplug-after", "--garbage", "--no-handshake", "--devices", "--answer-delay", "--seed"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  std::string complaint;
  EXPECT_EQ(Devsim({"--unplug-after", "soon"}).Finish(&complaint), 2);
  EXPECT_NE(complaint.find("'soon' is not a number"), std::string::npos) << complaint;
}

}  // namespace
}  // namespace quillon::sim
