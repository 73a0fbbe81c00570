#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "scratch_dir.h"
#include "sim/tty_link.h"
#include "sim/tty_settings.h"

namespace quillon::sim {
namespace {

TEST(SimTtySettings, SpeedCodesAndBaudRatesMapBothWays) {
  EXPECT_EQ(BaudOfSpeed(B460800), 460800u);
  EXPECT_EQ(BaudOfSpeed(B115200), 115200u);
  EXPECT_EQ(BaudOfSpeed(B0), 0u);
  EXPECT_EQ(SpeedOfBaud(460800), B460800);
  EXPECT_EQ(SpeedOfBaud(9600), B9600);
  EXPECT_FALSE(SpeedOfBaud(460801));
  EXPECT_EQ(LineBaud(-1), 0u);
}

TEST(SimTtyLink, PointsReplacesAndRemovesALink) {
  testing::ScratchDir dir;
  ASSERT_TRUE(dir.Made());
  const std::filesystem::path link = dir / "ttyWRITER";
  std::string error;

  ASSERT_TRUE(PointLink(link, "/dev/pts/1", error)) << error;
  EXPECT_EQ(std::filesystem::read_symlink(link), "/dev/pts/1");
  ASSERT_TRUE(PointLink(link, "/dev/pts/2", error)) << error;
  EXPECT_EQ(std::filesystem::read_symlink(link), "/dev/pts/2");

  RemoveLink(link);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimTtyLink, NeverReplacesOrRemovesAnythingButALink) {
  testing::ScratchDir dir;
  ASSERT_TRUE(dir.Made());
  const std::filesystem::path file = dir / "notes";
  std::ofstream(file) << "keep me";
  std::string error;

  EXPECT_FALSE(PointLink(file, "/dev/pts/1", error));
  EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
  RemoveLink(file);
  EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

}  // namespace
}  // namespace quillon::sim
