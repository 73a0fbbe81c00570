#include "link/serial/line_settings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quillon {
namespace {

TEST(ParseLineSettings, ReadsTheStationsSettingsText) {
  auto settings = ParseLineSettings("baud=460800 parity=N data=8 stop=1");
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->baudRate, 460800);
  EXPECT_EQ(settings->parity, Parity::kNone);
  EXPECT_EQ(settings->dataBits, 8);
  EXPECT_EQ(settings->stopBits, StopBits::kOne);
}

TEST(ParseLineSettings, AcceptsEitherCaseAnyOrderAndMissingKeys) {
  auto settings = ParseLineSettings("  STOP=1.5\tParity=m  baud=115200 ");
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->baudRate, 115200);
  EXPECT_EQ(settings->parity, Parity::kMark);
  EXPECT_FALSE(settings->dataBits);
  EXPECT_EQ(settings->stopBits, StopBits::kOnePointFive);

  EXPECT_EQ(ParseLineSettings("parity=e")->parity, Parity::kEven);
  EXPECT_EQ(ParseLineSettings("parity=O")->parity, Parity::kOdd);
  EXPECT_EQ(ParseLineSettings("parity=s")->parity, Parity::kSpace);
  EXPECT_EQ(ParseLineSettings("stop=2")->stopBits, StopBits::kTwo);
  EXPECT_EQ(ParseLineSettings("data=5")->dataBits, 5);
  EXPECT_TRUE(ParseLineSettings(""));
}

TEST(ParseLineSettings, RefusesWhatItCannotRead) {
  for (const char* text :
       {"baud=", "baud=96OO", "baud=0", "baud=-9600", "parity=X", "parity=NO", "data=4", "data=9", "stop=3",
        "stop=1.0", "speed=9600", "baud 9600", "baud=9600 baud=4800"}) {
    EXPECT_FALSE(ParseLineSettings(text)) << text;
  }
}

termios CookedTty() {
  termios tty{};
  tty.c_iflag = ICRNL | IXON | IXOFF;
  tty.c_oflag = OPOST | ONLCR;
  tty.c_lflag = ICANON | ECHO | ISIG;
  tty.c_cflag = CS8 | HUPCL;
  cfsetispeed(&tty, B9600);
  cfsetospeed(&tty, B9600);
  return tty;
}

TEST(ApplyLineSettings, MakesTheTtyRawAtTheGivenSpeed) {
  termios tty = CookedTty();
  ASSERT_TRUE(ApplyLineSettings(*ParseLineSettings("baud=460800 parity=N data=8 stop=1"), tty));
  EXPECT_EQ(cfgetispeed(&tty), B460800);
  EXPECT_EQ(cfgetospeed(&tty), B460800);
  EXPECT_EQ(tty.c_cflag & (CSIZE | PARENB | CSTOPB | CLOCAL | CREAD), CS8 | CLOCAL | CREAD);
  EXPECT_EQ(tty.c_iflag & (ICRNL | IXON | IXOFF), 0u);
  EXPECT_EQ(tty.c_oflag & OPOST, 0u);
  EXPECT_EQ(tty.c_lflag & (ICANON | ECHO | ISIG), 0u);
}

TEST(ApplyLineSettings, SetsCharacterSizeParityAndStopBits) {
  termios tty = CookedTty();
  ASSERT_TRUE(ApplyLineSettings(*ParseLineSettings("baud=115200 parity=O data=7 stop=2"), tty));
  EXPECT_EQ(cfgetospeed(&tty), B115200);
  EXPECT_EQ(tty.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), CS7 | PARENB | PARODD | CSTOPB);

  ASSERT_TRUE(ApplyLineSettings(*ParseLineSettings("parity=S data=6 stop=1"), tty));
  EXPECT_EQ(tty.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), CS6 | PARENB | CMSPAR);
  EXPECT_EQ(cfgetospeed(&tty), B115200);  // not named, kept

  ASSERT_TRUE(ApplyLineSettings(*ParseLineSettings("parity=M data=5 stop=1.5"), tty));
  EXPECT_EQ(tty.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB),
            CS5 | PARENB | PARODD | CMSPAR | CSTOPB);

  ASSERT_TRUE(ApplyLineSettings(*ParseLineSettings("stop=1"), tty));  // size and parity kept
  EXPECT_EQ(tty.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), CS5 | PARENB | PARODD | CMSPAR);
}

TEST(ApplyLineSettings, LeavesTheTtyAloneWhenTheSettingsCannotBeMade) {
  const termios original = CookedTty();
  for (const char* text : {"baud=12345", "data=8 stop=1.5"}) {
    termios tty = original;
    EXPECT_FALSE(ApplyLineSettings(*ParseLineSettings(text), tty)) << text;
    EXPECT_EQ(std::memcmp(&tty, &original, sizeof tty), 0) << text;
  }
}

}  // namespace
}  // namespace quillon
