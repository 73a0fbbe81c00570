// The main window's model: its start, the speed kept in "Speed.txt", the About command and the exit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

using testing::ScratchWorkingDirectory;
using testing::StationHarness;

class MainWindowTest : public ::testing::Test {
 protected:
  void Init() {
    station.dialogThread.Send([&] { station.dlg.OnInitDialog(); });
  }
  std::string ReadSpeedFile() {
    std::ifstream file("Speed.txt");
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  ScratchWorkingDirectory directory;
  StationHarness station;
};

TEST_F(MainWindowTest, StartsWithNoLinkEveryJobButtonDisabledAndTheDefaults) {
  Init();
  EXPECT_EQ(g_linkKind, kNoLink);
  EXPECT_EQ(g_jobBusy, 0);
  EXPECT_EQ(g_watchdogTicks, 8u);
  for (int id : kJobButtonIds) EXPECT_FALSE(station.view.EnabledStates().at(id)) << id;
  EXPECT_EQ(station.view.Title(), g_windowTitle);
  EXPECT_EQ(station.dlg.m_progress.upper, 1046);
  EXPECT_EQ(station.dlg.m_progress.step, 1);
  EXPECT_EQ(station.view.Slider(), 50);  // no "Speed.txt"
  EXPECT_EQ(station.dlg.m_usbHandle, kNoUsbDevice);
  EXPECT_EQ(g_finishSoundPath, (directory.Path() / "FinishVoice.wav").string());
  EXPECT_EQ(g_errorSoundPath, (directory.Path() / "ErrorVoice.wav").string());
}

TEST_F(MainWindowTest, TheSpeedIsReadAsTheLowEightBitsOfTheFirstLine) {
  const std::pair<const char*, int> cases[] = {
      {"300\n", 44},
      {"-1\n", 255},
      {"", 0},
      {"fast\n", 0},
      {"  17 and more\r\n", 17},
      {"255", 255},
      {"99999999999999999999999999\n", 255},  // beyond a long: the largest long
  };
  for (const auto& [text, speed] : cases) {
    std::ofstream("Speed.txt") << text;
    g_writeSpeed = 99;
    station.dlg.LoadSpeed();
    EXPECT_EQ(g_writeSpeed, speed) << '"' << text << '"';
  }
  std::filesystem::remove("Speed.txt");
  g_writeSpeed = 99;
  station.dlg.LoadSpeed();
  EXPECT_EQ(g_writeSpeed, 99) << "a missing file leaves the speed as it was";

  // Not a speed file at all, a megabyte without a line end: the number at its start is the speed.
  std::ofstream("Speed.txt") << "12" << std::string(1 << 20, 'x');
  station.dlg.LoadSpeed();
  EXPECT_EQ(g_writeSpeed, 12);
}

TEST_F(MainWindowTest, TheSliderStartsAtTheStoredSpeed) {
  std::ofstream("Speed.txt") << "300\n";
  Init();
  EXPECT_EQ(station.dlg.SliderPos(), 44);
  EXPECT_EQ(station.view.Slider(), 44);
}

TEST_F(MainWindowTest, TheSpeedIsStoredAsADecimalLine) {
  g_writeSpeed = 50;
  station.dlg.SaveSpeed();
  EXPECT_EQ(ReadSpeedFile(), "50\n");
  g_writeSpeed = 255;
  station.dlg.SaveSpeed();
  EXPECT_EQ(ReadSpeedFile(), "255\n");
}

TEST_F(MainWindowTest, AnUnwritableSpeedFileIsLeftSilently) {
  std::filesystem::create_directory("Speed.txt");  // not even root can write a directory as a file
  g_writeSpeed = 12;
  EXPECT_EQ(station.dlg.SaveSpeed(), 0);
  EXPECT_TRUE(station.view.MessageBoxes().empty());
  EXPECT_TRUE(std::filesystem::is_directory("Speed.txt"));
}

TEST_F(MainWindowTest, TheSliderOffersEveryStorableSpeedAndNoMore) {
  Init();
  station.dialogThread.Send([&] { station.dlg.OnSliderMoved(300); });
  EXPECT_EQ(station.dlg.SliderPos(), 255);
  station.dialogThread.Send([&] { station.dlg.OnSliderMoved(-5); });
  EXPECT_EQ(station.dlg.SliderPos(), 0);
}

TEST_F(MainWindowTest, TheProgressBarStartsOverWhenSteppedPastItsEnd) {
  Init();
  station.dlg.SetProgressPos(1045);
  station.dlg.StepProgress();
  EXPECT_EQ(station.dlg.ProgressPos(), 1046);
  station.dlg.StepProgress();
  EXPECT_EQ(station.dlg.ProgressPos(), 0);
  EXPECT_EQ(station.view.Progress(), 0);
}

TEST_F(MainWindowTest, EveryCommandThatMasksToTheAboutIdShowsTheAboutBox) {
  for (unsigned id : {0x10u, 0x1Fu, 0x20u, 0xF060u}) {
    station.dialogThread.Send([&] { station.dlg.OnSysCommand(id); });
  }
  EXPECT_EQ(station.view.AboutBoxes(), 2);
}

TEST_F(MainWindowTest, ExitClosesTheUsbDeviceAndEndsTheDialog) {
  Init();
  station.dlg.m_usbHandle = 42;
  station.dialogThread.Send([&] { station.dlg.OnCommand(kIdExit); });
  EXPECT_EQ(station.usb.closed, (std::vector<UsbHandle>{42}));
  EXPECT_EQ(station.dlg.m_usbHandle, kNoUsbDevice);
  EXPECT_TRUE(station.view.Ended());
  EXPECT_TRUE(testing::Eventually([&] { return !station.dialogThread.IsRunning(); }));
}

}  // namespace
}  // namespace quillon
