// A station whose job buttons run the real jobs, initialised as the window starts it, in a scratch
// working directory of its own.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "app/quillon_dlg.h"
#include "app/shared_state.h"
#include "program/font_file_job.h"
#include "program/station_jobs.h"
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
