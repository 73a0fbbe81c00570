#include "station/quillon_dlg.h"

#include <gtest/gtest.h>

#include <future>
#include <utility>
#include <vector>

#include "station/jobs/job_frame.h"
#include "station/wait_allowance.h"
#include "tests/support/in_english.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

using testing::StationHarness;

TEST(QuillonDlgTest, JobButtonsAreSwitchedTogetherInTheirOrderFromAnyThread) {
  StationHarness station;
  EXPECT_FALSE(station.dlg.IsControlEnabled(kIdWriteColour240English));  // as the window is made
  EXPECT_TRUE(station.dlg.IsControlEnabled(kIdWriteChinese));

  std::async(std::launch::async, [&] { station.dlg.EnableJobButtons(true); }).get();
  const std::vector<int> expectedOrder(kJobButtonIds.begin(), kJobButtonIds.end());
  EXPECT_EQ(station.view.ControlUpdates(), expectedOrder);
  for (int id : kJobButtonIds) {
    EXPECT_TRUE(station.dlg.IsControlEnabled(id)) << id;
    EXPECT_TRUE(station.view.EnabledStates().at(id)) << id;
  }

  station.dlg.EnableJobButtons(false);
  for (int id : kJobButtonIds) EXPECT_FALSE(station.view.EnabledStates().at(id)) << id;
  // The Exit button, the slider and the progress bar are never switched.
  for (int id : {kIdExit, kIdSlider, kIdProgress}) {
    EXPECT_TRUE(station.dlg.IsControlEnabled(id));
    EXPECT_EQ(station.view.EnabledStates().count(id), 0u);
  }
}

TEST(QuillonDlgTest, AMessageBoxCarriesTheWindowTitleAndHoldsItsCallerUntilClosed) {
  StationHarness station;
  station.view.HoldMessageBoxes();
  auto worker =
      std::async(std::launch::async, [&] { station.dlg.MessageBox("Write Error!!!", MessageIcon::kError); });
  ASSERT_TRUE(station.view.WaitForMessageBoxes(1));
  EXPECT_EQ(worker.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  // The dialog thread stays free while a worker's box is open.
  EXPECT_TRUE(station.dialogThread.Send([] {}));
  station.view.ReleaseMessageBoxes();
  worker.get();

  auto box = station.view.MessageBoxes().at(0);
  EXPECT_EQ(box.text, "Write Error!!!");
  EXPECT_EQ(box.title, "Morvane字库写入程序  (USB Ver 2.11 )");
  EXPECT_EQ(box.icon, MessageIcon::kError);
}

TEST(QuillonDlgTest, ABoxSpeaksTheStationsLanguageWhileItsRecordKeepsTheStationsOwnWords) {
  testing::StationHarness station;
  const testing::InEnglish english;
  station.dlg.MessageBox(kWriteCompleteText, MessageIcon::kInformation);
  ASSERT_EQ(station.view.MessageBoxes().size(), 1u);
  EXPECT_EQ(station.view.MessageBoxes()[0].text, "Write complete!!!");
  EXPECT_EQ(station.dlg.BoxesShown(), 1u);
  EXPECT_EQ(station.dlg.LastBoxMessage(), "写入完成!!!") << "the log's message is the same in every language";
}

TEST(QuillonDlgTest, EachTimerTickTakesTwoOffTheAllowance) {
  StationHarness station;
  g_waitTicks = 1;
  station.Tick();
  EXPECT_EQ(g_waitTicks, 0);
  station.Tick();
  EXPECT_EQ(g_waitTicks, 0);  // never below zero
  g_waitTicks = 16;
  station.Tick(7);
  EXPECT_EQ(g_waitTicks, 2);
  station.Tick();
  EXPECT_EQ(g_waitTicks, 0);
}

// The timer has just read what is left of the last exchange's allowance when the worker stores the
// allowance of its next exchange.
struct AllowanceStoredAfterTheTimersRead {
  std::uint8_t value = 1;
  std::uint8_t workersAllowance = 6;
  bool stored = false;

  std::uint8_t load(std::memory_order) {
    const std::uint8_t seen = value;
    if (!std::exchange(stored, true)) value = workersAllowance;
    return seen;
  }
  void store(std::uint8_t ticks, std::memory_order) { value = ticks; }
  bool compare_exchange_weak(std::uint8_t& expected, std::uint8_t desired, std::memory_order) {
    if (value != expected) {
      expected = value;
      return false;
    }
    value = desired;
    return true;
  }
};

TEST(QuillonDlgTest, ATickNeverOverwritesAnAllowanceStoredMeanwhile) {
  AllowanceStoredAfterTheTimersRead ticks;
  TakeOneOff(ticks);
  EXPECT_EQ(ticks.value, 5) << "the new allowance, one off";
}

}  // namespace
}  // namespace quillon
