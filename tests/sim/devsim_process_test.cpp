#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "devsim_process.h"
#include "scratch_dir.h"
#include "sim/device_engine.h"
#include "sim_test_support.h"
#include "station_tty.h"

namespace quillon::sim {
namespace {

using testing::Command;
using testing::DevsimProcess;
using testing::Frame;
using testing::Frames;
using testing::PageWrite;
using testing::SamplePage;
using testing::StationTty;

bool AnswersHandshake(const std::string& path) {
  StationTty tty(path, kHandshakeBaud);
  if (!tty.Opened() || !tty.Write(Frame(Command(kCommandHandshake, 0)))) return false;
  const std::vector<Payload> replies = Frames(tty.Read(kFrameSize));
  return replies.size() == 1 &&
         std::equal(kHandshakeReply.begin(), kHandshakeReply.end(), replies[0].begin());
}

TEST(SimDevsimProcess, PrintsItsTtyAnswersTheHandshakeAndEndsOnSigterm) {
  DevsimProcess devsim({});
  ASSERT_TRUE(devsim.Started());
  const std::optional<std::string> path = devsim.ReadLine();
  ASSERT_TRUE(path);
  EXPECT_TRUE(AnswersHandshake(*path)) << *path;

  ASSERT_TRUE(devsim.Signal(SIGTERM));
  EXPECT_EQ(devsim.Wait(), 0);
}

TEST(SimDevsimProcess, DumpsTheFlashOnSigint) {
  testing::ScratchDir dir;
  ASSERT_TRUE(dir.Made());
  const std::filesystem::path dump = dir / "flash.bin";
  DevsimProcess devsim({"--dump", dump.string()});
  ASSERT_TRUE(devsim.Started());
  const std::optional<std::string> path = devsim.ReadLine();
  ASSERT_TRUE(path);

  StationTty tty(*path, kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());
  const std::vector<std::uint8_t> page = SamplePage(21);
  for (const Payload& command : PageWrite(0x000300, page)) {
    ASSERT_TRUE(tty.Write(Frame(command)));
    ASSERT_EQ(tty.Read(kFrameSize).size(), kFrameSize);
  }
  ASSERT_TRUE(devsim.Signal(SIGINT));
  ASSERT_EQ(devsim.Wait(), 0);

  std::ifstream file(dump, std::ios::binary);
  const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(file),
                                        std::istreambuf_iterator<char>()};
  ASSERT_EQ(image.size(), kFlashSize);
  EXPECT_TRUE(std::equal(page.begin(), page.end(), image.begin() + 0x300));
  EXPECT_EQ(image[0x2FF], kErasedByte);
  EXPECT_EQ(image[0x400], kErasedByte);
}

TEST(SimDevsimProcess, ComesBackBehindItsLinkOnSigusr1AfterUnplugging) {
  testing::ScratchDir dir;
  ASSERT_TRUE(dir.Made());
  const std::filesystem::path link = dir / "ttyWRITER";
  DevsimProcess devsim({"--link", link.string(), "--unplug-after", "1"});
  ASSERT_TRUE(devsim.Started());
  ASSERT_TRUE(devsim.ReadLine());

  StationTty tty(link, kHandshakeBaud);
  ASSERT_TRUE(tty.Opened());
  const std::vector<Payload> page = PageWrite(0, SamplePage(1));
  for (std::size_t i = 0; i + 1 < page.size(); ++i) {
    ASSERT_TRUE(tty.Write(Frame(page[i])));
    ASSERT_EQ(tty.Read(kFrameSize).size(), kFrameSize);
  }
  ASSERT_TRUE(tty.Write(Frame(page.back())));
  ASSERT_TRUE(tty.WaitForHangup());

  ASSERT_TRUE(devsim.Signal(SIGUSR1));
  const std::optional<std::string> replugged = devsim.ReadLine();
  ASSERT_TRUE(replugged);
  EXPECT_EQ(std::filesystem::read_symlink(link), *replugged);
  EXPECT_TRUE(AnswersHandshake(link));
}

TEST(SimDevsimProcess, HelpListsTheOptionsAndSucceeds) {
  DevsimProcess devsim({"--help"});
  ASSERT_TRUE(devsim.Started());
  const std::string help = devsim.RestOfOutput();
  EXPECT_NE(help.find("--baud-delay"), std::string::npos) << help;
  EXPECT_NE(help.find("--unplug-after"), std::string::npos) << help;
  EXPECT_EQ(devsim.Wait(), 0);
}

TEST(SimDevsimProcess, BadUsageSaysWhyAndExitsWithTwo) {
  DevsimProcess devsim({"--unplug-after", "soon"});
  ASSERT_TRUE(devsim.Started());
  EXPECT_EQ(devsim.Wait(), 2);
  EXPECT_NE(devsim.RestOfErrors().find("'soon' is not a number"), std::string::npos);
}

}  // namespace
}  // namespace quillon::sim
