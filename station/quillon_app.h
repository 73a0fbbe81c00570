// The process's application object: it builds the dialog on its own dialog thread, shown by the given
// view, and runs it until the dialog ends. The views report the operator's actions through it; they
// are posted to the dialog thread, never sent, so the view's thread never waits for the dialog's.
#pragma once

#include <functional>

#include "station/dialog_thread.h"
#include "station/quillon_dlg.h"

namespace quillon {

enum class PressOutcome { kJobStarted, kControlDisabled, kNoJobStarted };

class CQuillonApp {
 public:
  CQuillonApp(DialogView& view, UsbBridge& usb, StationWorkers workers = {}, StationTiming timing = {});
  ~CQuillonApp();
  CQuillonApp(const CQuillonApp&) = delete;
  CQuillonApp& operator=(const CQuillonApp&) = delete;

  // Starts the dialog thread and runs the dialog's initialisation there; returns at once.
  void Start();
  // Returns when the dialog has ended (its exit).
  void WaitForEnd();

  void PostClick(int controlId);
  // Clicks as the operator would and returns once the dialog has handled the click, with what came of
  // it. For a thread that may wait for the dialog's, never for the view's.
  PressOutcome Press(int controlId);
  // Starts the worker as a job of its own once the dialog has looked: kJobStarted, or kControlDisabled
  // when the station takes no job now. For a thread that may wait for the dialog's.
  PressOutcome RunJob(const Worker& worker);
  void PostSliderMoved(int position);
  void PostSystemCommand(unsigned commandId);

  CQuillonDlg& Dialog() { return m_dialog; }
  DialogThread& Thread() { return m_dialogThread; }

 private:
  DialogThread m_dialogThread;
  CQuillonDlg m_dialog;
};

// How every front end ends: the dialog thread first, then the process with the code. Workers are not
// waited for: when one still runs, the process ends without tearing down what it may still be using.
// Otherwise the port is let go of (the tty put back as it was found), then what the front end gave the
// station (its device set-up, a simulated device among it) in `release`.
[[noreturn]] void EndProcess(CQuillonApp& app, int exitCode, const std::function<void()>& release = {});

}  // namespace quillon
