// The station as the quillon program runs it, the Qt window in front of the real dialog, with a
// hand-driven timer and workers that only count their starts.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <chrono>

#include "front/qt/qt_view.h"
#include "link/usb/no_usb_bridge.h"
#include "station/quillon_app.h"
#include "station/shared_state.h"
#include "tests/support/scratch_directory.h"

namespace quillon::testing {

class GuiStationTest : public ::testing::Test {
 protected:
  GuiStationTest() {
    ResetSharedState();
    view.Attach(&app);
  }
  ~GuiStationTest() override {
    if (!started) return;  // no dialog thread to end
    if (!view.Ended()) {
      app.PostClick(kIdExit);
      ProcessEventsUntil([this] { return view.Ended(); });
    }
    app.WaitForEnd();
    // The workers reach the dialog: they must be done before it goes.
    ProcessEventsUntil([this] { return !app.Dialog().JobWorkerAlive(); });
  }

  void StartStation() {
    app.Start();
    started = true;
    view.show();
    Settle();
  }

  // Runs Qt's events until the condition holds; the deadline only keeps a broken test from hanging.
  template <typename Condition>
  static bool ProcessEventsUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      QCoreApplication::processEvents();
      QThread::yieldCurrentThread();
    }
    return true;
  }

  // Returns when everything the operator did so far has reached the dialog, and everything the dialog
  // showed in answer has reached the window: both threads handle their queues in order.
  void Settle() {
    QCoreApplication::processEvents();
    app.Thread().Send([] {});
    bool shown = false;
    QMetaObject::invokeMethod(
        &view, [&shown] { shown = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(ProcessEventsUntil([&shown] { return shown; }));
  }

  StationWorkers CountingWorkers() {
    StationWorkers workers;
    workers.fontFileJob = [this](CQuillonDlg&) {
      ++jobsRun;
      g_jobBusy.store(0);
    };
    return workers;
  }

  bool started = false;
  ScratchWorkingDirectory directory;  // the station reads and writes "Speed.txt" in it
  std::atomic<int> jobsRun{0};
  NoUsbBridge usb;
  qt::QtView view;
  CQuillonApp app{view, usb, CountingWorkers(), StationTiming{.timerPeriod = std::chrono::milliseconds(0)}};
};

}  // namespace quillon::testing
