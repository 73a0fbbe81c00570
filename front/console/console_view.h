// The dialog on a console: the progress bar drawn as text, message boxes printed to standard error with
// their title and answered at once, and the enabled job buttons kept so the console knows when a
// device is linked.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "front/console/progress_meter.h"
#include "line/job_events.h"
#include "station/dialog_view.h"

namespace quillon::console {

class ConsoleView : public DialogView {
 public:
  // progressOut receives the progress; errorOut the message boxes and the status line. On a terminal
  // the line is redrawn in place, elsewhere a line is written every tenth of the job.
  ConsoleView(std::FILE* progressOut, std::FILE* errorOut, bool terminal, int progressTotal);

  void ShowTitle(const std::string&) override {}
  void ShowControlEnabled(int controlId, bool enabled) override;
  void ShowProgress(int position) override;
  void ShowSlider(int) override {}
  // Printed to errorOut as it changes.
  void ShowLinkStatus(const std::string& text) override;
  // Kept for the units' records, and reported to --json's events.
  void ShowLinked(const DeviceLink& link) override;
  // Printed to errorOut.
  void ShowNotice(const std::string& text) override;
  // Counted: a unit's device has been taken away once an attempt after its job finds none.
  void ShowDeviceAbsent() override;
  void ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
  // The finish and error sounds, as the window plays them.
  void PlaySoundFile(const std::string& path) override;
  void ShowAboutBox() override {}
  void EndDialog() override {}

  // True once the control is enabled, false when the deadline passes first.
  bool WaitUntilEnabled(int controlId, std::chrono::steady_clock::time_point deadline);
  std::vector<std::string> MessageTexts() const;

  // No sounds from now on.
  void Silence() { m_quiet = true; }
  // --json: links and progress go to `events` (set before the dialog starts), and no progress line is
  // drawn.
  void ReportTo(JobEvents* events) { m_events = events; }
  // Before a job: the pages it will write or read, when known (0: not known), for its progress line;
  // the count of pages done starts again.
  void ExpectPages(int total);
  // The pages written and verified (or read) by the job since ExpectPages.
  int PagesCounted() const;
  // How often the link has gone down (the job buttons disabled after being enabled); true once it
  // has gone down more often than `dropsSeen`, false when the deadline passes first.
  int LinkDrops() const;
  bool WaitForLinkDrop(int dropsSeen, std::chrono::steady_clock::time_point deadline);
  // How often a connection attempt found no device.
  int Absences() const;
  // True once an attempt has found no device more often than `absencesSeen`, or the link has gone down
  // more often than `dropsSeen`; false when the deadline passes first.
  bool WaitForDeviceGone(int absencesSeen, int dropsSeen, std::chrono::steady_clock::time_point deadline);
  // What the status line last said, and the last link it named: "USB", "ttyUSB0 460800".
  std::string LinkStatus() const;
  std::string LastLink() const;

 private:
  void EndBarLine();
  // A line on errorOut, after the progress bar's line.
  void SayLine(const std::string& text);

  std::FILE* m_progressOut;
  std::FILE* m_errorOut;
  const bool m_terminal;
  const int m_progressTotal;

  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  std::set<int> m_enabled;
  int m_linkDrops = 0;
  int m_absences = 0;
  std::string m_linkStatus;
  std::string m_lastLink;
  std::vector<std::string> m_messages;
  int m_pagesCounted = 0;
  std::atomic<bool> m_quiet{false};
  JobEvents* m_events = nullptr;
  int m_expectedPages = 0;
  std::chrono::steady_clock::time_point m_jobStart = std::chrono::steady_clock::now();
  ProgressCount m_progressCount;
  int m_lastMark = -1;
  bool m_barDrawn = false;
};

}  // namespace quillon::console
