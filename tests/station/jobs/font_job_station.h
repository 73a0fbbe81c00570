// A station whose job buttons run the real jobs, initialised as the window starts it, in a scratch
// working directory of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/serial/port_table.h"
#include "sim/pty_device.h"
#include "station/jobs/font_file_job.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "tests/support/eventually.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/station_harness.h"

namespace quillon::testing {

struct FontJobStation {
  // With a connection worker the watchdog links the device; without one the test brings the link up.
  explicit FontJobStation(UsbBridge* usb = nullptr, Worker connectThread = {},
                          StationTiming timing = HandDrivenTiming())
      : station(usb, WithConnectThread(std::move(connectThread)), std::move(timing)) {
    // The progress bar's range and step, the slider's, the speed and the sound paths in the scratch
    // directory; the buttons stay disabled until the test has a link up.
    station.dialogThread.Send([this] { station.dlg.OnInitDialog(); });
  }

  static StationWorkers WithConnectThread(Worker connectThread) {
    StationWorkers workers = StationJobWorkers();
    workers.connectThread = std::move(connectThread);
    return workers;
  }

  void MoveSlider(int position) {
    station.dialogThread.Send([this, position] { station.dlg.OnSliderMoved(position); });
  }
  void Press(int button = kIdWriteChinese) {
    station.dialogThread.Send([this, button] { station.dlg.OnCommand(button); });
  }
  bool JobEnded() {
    return Eventually([this] { return !station.dlg.JobWorkerAlive(); });
  }
  // Presses the button and waits until its job has ended, with the window's timer ticking about once a
  // second as on a station: an exchange left unanswered ends the job with its boxes instead of stalling
  // it. Every job ends with a box: waiting for it blocks, where polling would take a processor from the job.
  bool RunJob(int button = kIdWriteChinese) {
    const std::uint32_t started = station.dlg.JobsStarted();
    const std::size_t boxes = station.view.MessageBoxes().size();
    Press(button);
    if (station.dlg.JobsStarted() != started + 1) return false;
    for (int second = 0; second < 240; ++second) {
      if (station.view.WaitForMessageBoxes(boxes + 1, std::chrono::seconds(1))) return JobEnded();
      station.Tick();
    }
    return false;
  }

  // Links the station to a simulated device on a pty as the connection worker would: the port bound
  // to its tty and opened at 460800 with its monitor running, the link kind set, the buttons enabled.
  ::testing::AssertionResult LinkOverPty(const sim::PtyDevice& device, int port) {
    BindPortPath(port, device.SlavePath());
    CQuillonDlg& dlg = station.dlg;
    if (!dlg.m_port.Configure(&dlg, port, 460800, 'N', 8, 1, EV_RXCHAR, 1024) || !dlg.m_port.StartMonitor()) {
      return ::testing::AssertionFailure() << "the port on " << device.SlavePath() << " did not open";
    }
    g_linkKind = port;
    dlg.EnableJobButtons(true);
    return ::testing::AssertionSuccess();
  }
  void Unlink(int port) {
    station.dlg.m_port.Stop();
    UnbindPortPath(port);
  }

  // How the job ended for the operator: its boxes and sounds, the station free, the bar back at 0.
  void ExpectEnded(const std::vector<std::string>& boxes, const std::vector<std::string>& sounds) {
    EXPECT_EQ(BoxTexts(), boxes);
    EXPECT_EQ(station.view.Sounds(), sounds);
    EXPECT_EQ(g_jobBusy, 0);
    EXPECT_EQ(station.dlg.ProgressPos(), 0);
  }
  void ExpectCompleted() { ExpectEnded({"写入完成!!!"}, {g_finishSoundPath}); }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const ShownMessageBox& box : station.view.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  // Declared first: the directory outlives the station and every file its job may still have open.
  ScratchWorkingDirectory scratch;
  StationHarness station;
};

}  // namespace quillon::testing
