// The job buttons and the watchdog, with workers of the tests' own that do nothing but hold the job.
#include <gtest/gtest.h>

#include <future>
#include <map>
#include <mutex>

#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "tests/support/station_harness.h"

namespace quillon {
namespace {

using testing::StationHarness;

// A worker that records its runs and holds its job until released, then closes it as a job does.
class HeldWorker {
 public:
  Worker AsWorker(const std::string& name) {
    return [this, name](CQuillonDlg&) {
      {
        std::scoped_lock guard(m_lock);
        m_runs.emplace_back(name, g_jobMode.load());
      }
      m_released.wait();
      g_jobBusy = 0;
    };
  }
  void Release() {
    std::call_once(m_releasedOnce, [this] { m_release.set_value(); });
  }
  std::vector<std::pair<std::string, int>> Runs() {
    std::scoped_lock guard(m_lock);
    return m_runs;
  }

 private:
  std::mutex m_lock;
  std::vector<std::pair<std::string, int>> m_runs;
  std::once_flag m_releasedOnce;
  std::promise<void> m_release;
  std::shared_future<void> m_released = m_release.get_future().share();
};

StationWorkers WorkersOf(HeldWorker& held) {
  return StationWorkers{.fontFileJob = held.AsWorker("font file"),
                        .colourFontJob = held.AsWorker("colour"),
                        .colourFont128Job = held.AsWorker("colour 128"),
                        .colourFileFontJobKorean = held.AsWorker("colour file Korean"),
                        .colourFileFontJobTraditional = held.AsWorker("colour file traditional"),
                        .connectThread = held.AsWorker("connect")};
}

class JobControlTest : public ::testing::Test {
 protected:
  JobControlTest() : station(nullptr, WorkersOf(held)) {}
  ~JobControlTest() override { held.Release(); }

  void Click(int controlId) {
    station.dialogThread.Send([&] { station.dlg.OnCommand(controlId); });
  }
  bool JobDone() {
    return testing::Eventually([&] { return !station.dlg.JobWorkerAlive(); });
  }

  HeldWorker held;
  StationHarness station;
};

TEST_F(JobControlTest, EachButtonStartsItsWorkerWithItsMode) {
  const std::map<int, std::pair<std::string, int>> expected = {
      {kIdWriteChinese, {"font file", 1}},
      {kIdWriteKorean, {"font file", 2}},
      {kIdWriteTraditionalChinese, {"font file", 3}},
      {kIdWriteJapanese, {"font file", 4}},
      {kIdWriteLargeAscii, {"font file", 5}},
      {kIdWriteColour240Chinese, {"colour", 6}},
      {kIdWriteColour240English, {"colour", 7}},
      {kIdWriteColour128Chinese, {"colour 128", 6}},
      {kIdWriteColour240Korean, {"colour file Korean", 8}},
      {kIdWriteColour240TraditionalChinese, {"colour file traditional", 8}},
  };
  station.dlg.EnableJobButtons(true);
  held.Release();
  std::size_t runs = 0;
  for (const auto& [button, job] : expected) {
    Click(button);
    ASSERT_TRUE(JobDone());
    ASSERT_EQ(held.Runs().size(), ++runs) << button;
    EXPECT_EQ(held.Runs().back(), job) << button;
    EXPECT_EQ(g_jobBusy, 0);
  }
}

TEST_F(JobControlTest, ThePressOfAButtonWithoutAJobStartsNothing) {
  station.dlg.EnableJobButtons(true);
  Click(kIdWriteColour240Japanese);
  EXPECT_EQ(g_jobBusy, 0);
  EXPECT_FALSE(station.dlg.JobWorkerAlive());
  EXPECT_TRUE(held.Runs().empty());
}

TEST_F(JobControlTest, TwoPressesInARowStartOneJob) {
  station.dlg.EnableJobButtons(true);
  Click(kIdWriteChinese);
  Click(kIdWriteColour240Chinese);
  EXPECT_EQ(g_jobMode, 1);
  held.Release();
  ASSERT_TRUE(JobDone());
  ASSERT_EQ(held.Runs().size(), 1u);
  EXPECT_EQ(held.Runs()[0].first, "font file");
}

TEST_F(JobControlTest, AClickOnADisabledButtonDoesNothing) {
  station.dlg.EnableJobButtons(false);
  Click(kIdWriteChinese);
  EXPECT_EQ(g_jobBusy, 0);
  EXPECT_TRUE(held.Runs().empty());
}

class WatchdogTest : public JobControlTest {
 protected:
  void SetUp() override {
    station.dialogThread.Send([&] { station.dlg.OnInitDialog(); });
    held.Release();  // connection attempts end at once, leaving the link as it was
  }
  std::size_t Attempts() {
    testing::Eventually([&] { return !station.dlg.ConnectionAttemptRunning(); });
    return held.Runs().size();
  }
};

TEST_F(WatchdogTest, TheFirstAttemptComesAtTheFirstTickThenEveryFifth) {
  EXPECT_EQ(g_watchdogTicks, 8u);
  station.Tick();
  EXPECT_EQ(Attempts(), 1u);
  station.Tick(4);
  EXPECT_EQ(Attempts(), 1u);
  station.Tick();
  EXPECT_EQ(Attempts(), 2u);
  EXPECT_EQ(held.Runs()[1].first, "connect");
}

TEST_F(WatchdogTest, ItStaysQuietWhileUsbIsUpOrThePortIsOpen) {
  station.usb.devicesOnTheBus = 1;
  g_linkKind = kUsbLinkKind;
  station.Tick(11);
  EXPECT_EQ(Attempts(), 0u);
  g_linkKind = 7;
  station.dlg.m_port.portState = CSerialPort::kStateOpen;
  station.Tick(10);
  EXPECT_EQ(Attempts(), 0u);
  station.dlg.m_port.portState = CSerialPort::kStateFailed;  // a port that failed counts as down
  station.Tick(5);
  EXPECT_EQ(Attempts(), 1u);
  EXPECT_EQ(g_jobBusy, 0);  // the test's attempt ended and cleared it
}

TEST(WatchdogOverlapTest, ARunningJobKeepsItsFailedPortUntilItHasTakenTheLinkDown) {
  HeldWorker job;
  HeldWorker connection;
  StationWorkers workers = WorkersOf(job);
  workers.connectThread = connection.AsWorker("connect");
  connection.Release();
  StationHarness station(nullptr, std::move(workers));
  station.dlg.EnableJobButtons(true);
  station.dialogThread.Send([&] { station.dlg.OnCommand(kIdWriteChinese); });
  ASSERT_TRUE(station.dlg.JobWorkerAlive());

  // The adapter is pulled out under the job: the port fails, but the job has not noticed yet.
  g_linkKind = 7;
  station.dlg.m_port.portState = CSerialPort::kStateFailed;
  station.Tick(10);
  EXPECT_TRUE(connection.Runs().empty());

  // Its exchange fails and takes the link down; while it shows its boxes, the watchdog links anew.
  g_linkKind = kNoLink;
  station.Tick(5);
  EXPECT_TRUE(testing::Eventually([&] { return connection.Runs().size() == 1; }));
  job.Release();
}

TEST(WatchdogOverlapTest, NoSecondAttemptStartsWhileOneRuns) {
  HeldWorker held;
  StationHarness station(nullptr, WorkersOf(held));
  station.dialogThread.Send([&] { station.dlg.OnInitDialog(); });
  station.Tick();
  ASSERT_TRUE(testing::Eventually([&] { return held.Runs().size() == 1; }));
  EXPECT_EQ(g_jobBusy, 1);
  station.Tick(10);  // two more checks while the first attempt still runs
  EXPECT_EQ(held.Runs().size(), 1u);
  held.Release();
}

}  // namespace
}  // namespace quillon
