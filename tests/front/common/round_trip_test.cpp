// The page rate a round trip predicts, and the live check against the simulated device at an emulated
// 460800 baud through the real serial driver on a pty.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "front/common/round_trip.h"
#include "link/ports/given_port_list.h"
#include "link/usb/no_usb_bridge.h"
#include "sim/pty_device.h"
#include "station/connection/discovery.h"
#include "station/jobs/station_jobs.h"
#include "station/shared_state.h"
#include "station/silent_view.h"
#include "tests/support/eventually.h"
#include "tests/support/simulated_device.h"

namespace quillon {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

constexpr int kBaud = 460800;

std::chrono::nanoseconds WireTime(int bytes, int baud) {
  return std::chrono::nanoseconds(static_cast<long long>(bytes) * 10 * 1'000'000'000LL / baud);
}

TEST(RoundTripTest, AWritingPageIsTenAcknowledgedExchangesAndEightAnsweredOnes) {
  // A device that answers at once, on a wire that wastes nothing: the line's own rate.
  const RoundTripFigures bare = PredictPageRate(WireTime(39 + 9, kBaud), WireTime(39 + 39, kBaud), kBaud);
  EXPECT_NEAR(bare.pagesPerSecond, LinePagesPerSecond(kBaud), 1e-3);
  EXPECT_NEAR(LinePagesPerSecond(kBaud), 460800.0 / 10 / 1104, 1e-9);
  const RoundTripFigures slower = PredictPageRate(microseconds(1100), microseconds(2000), kBaud);
  EXPECT_NEAR(slower.pagesPerSecond, 1 / (10 * 1100e-6 + 8 * 2000e-6), 1e-6);
  EXPECT_EQ(slower.linePagesPerSecond, LinePagesPerSecond(kBaud));
  // USB has no line to set it against.
  EXPECT_EQ(PredictPageRate(microseconds(1100), microseconds(2000), 0).linePagesPerSecond, 0);
}

TEST(RoundTripTest, ALinkWithoutTheHandshakeFailsItsLineAndTheRoundTripSaysTheRate) {
  RoundTrip slow;
  slow.link.port = "ttyUSB0";
  slow.link.baud = 115200;
  slow.figures = PredictPageRate(WireTime(39 + 9, 115200), WireTime(39 + 39, 115200), 115200);
  const std::vector<CheckResult> lines = RoundTripResults(slow);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].verdict, CheckVerdict::kFail);
  EXPECT_EQ(lines[0].found, "ttyUSB0 at 115200 baud: it did not answer the handshake at 460800 baud");
  EXPECT_EQ(lines[1].verdict, CheckVerdict::kPass);
  EXPECT_EQ(
      lines[1].found,
      "an acknowledged exchange 4.17 ms, an answered one 6.77 ms; a writing job should reach 10.4 pages/s, "
      "100 % of the 10.4 pages/s the line allows at 115200 baud");
}

class LiveRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device = testing::SimulatedDevice({.emulatedBaud = kBaud});
    ASSERT_NE(device, nullptr);
    ports = std::make_unique<GivenPortList>(device->SlavePath());
    StationWorkers workers = StationJobWorkers();
    workers.connectThread = ConnectWorker(*ports);
    app = std::make_unique<CQuillonApp>(view, usb, std::move(workers));
    app->Start();
    app->Thread().Send([] {});  // the dialog's initialisation has run: the buttons wait for a link
    ASSERT_TRUE(testing::Eventually([&] { return app->Dialog().IsControlEnabled(kIdWriteChinese); }));
  }
  void TearDown() override {
    if (!app) return;
    app->Thread().QuitAndWait();
    // The connection worker runs on a thread of its own: the app outlives it.
    EXPECT_TRUE(testing::Eventually([&] { return !app->Dialog().ConnectionAttemptRunning(); }));
    app->Dialog().m_port.Stop();
  }

  SilentView view;
  NoUsbBridge usb;
  std::unique_ptr<sim::PtyDevice> device;
  std::unique_ptr<GivenPortList> ports;
  std::unique_ptr<CQuillonApp> app;
};

// How close the prediction comes to a writing job is measured by bench/round_trip_bench; here, what
// holds on any machine: the check links at the handshake's speed, writes nothing, and cannot predict
// more than the line carries, since the simulated device paces every byte at that speed.
TEST_F(LiveRoundTripTest, TheRoundTripWritesNothingAndPredictsNoMoreThanTheLineCarries) {
  const Result<RoundTrip> trip = MeasureRoundTrip(*app, [] { return Clock::now(); });
  ASSERT_TRUE(trip) << trip.Failure().words;
  EXPECT_EQ(trip->link.baud, kBaud);
  EXPECT_EQ(trip->figures.linePagesPerSecond, LinePagesPerSecond(kBaud));
  EXPECT_GT(trip->figures.pagesPerSecond, 0);
  EXPECT_LE(trip->figures.pagesPerSecond, LinePagesPerSecond(kBaud));
  const auto written = device->WithEngine([](sim::DeviceEngine& engine) { return engine.PageLog(); });
  EXPECT_TRUE(written.empty()) << "the check wrote a page";
}

TEST_F(LiveRoundTripTest, NoRoundTripWhileAJobRuns) {
  std::promise<void> release;
  ASSERT_EQ(app->RunJob([done = release.get_future().share()](CQuillonDlg&) {
    done.wait();
    g_jobBusy.store(0);
  }),
            PressOutcome::kJobStarted);
  const Result<RoundTrip> trip = MeasureRoundTrip(*app, [] { return Clock::now(); });
  release.set_value();
  app->Dialog().WaitForJobWorkers();
  ASSERT_FALSE(trip);
  EXPECT_EQ(trip.Failure().kind, ProblemKind::kNoDevice);
}

}  // namespace
}  // namespace quillon
