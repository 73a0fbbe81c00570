// The station's window on Windows: the main dialog of the resource script, run modally on the view's
// thread, mirroring the main dialog's model and reporting the operator's actions to it. As with the Qt
// window, the model runs on its own dialog thread and stays the authority: each change arrives here as
// a call on that thread and is queued to the view's thread, where the changes are carried out in the
// order they were made; each action is posted back, never sent, so neither thread waits for the other.
// Message boxes are the exception: they block the thread that shows them, and only that one.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

#include "link/os/windows_api.h"
#include "station/dialog_view.h"

namespace quillon {

class CQuillonApp;

namespace win32 {

// The system menu's entry that opens the production view.
inline constexpr unsigned kIdLineCommand = 0x0020;

class Win32View : public DialogView {
 public:
  Win32View() = default;
  Win32View(const Win32View&) = delete;
  Win32View& operator=(const Win32View&) = delete;

  // Where the operator's actions go; set before the window runs. Without it they are dropped.
  void Attach(CQuillonApp* app) { m_app = app; }
  // Presses the button as it shows enabled, unless a job has started by then; again at a later enabling
  // if the link went down before the press arrived. Set before the window runs.
  void PressWhenEnabled(int controlId) { m_pressWhenEnabled = controlId; }
  // "Check this station…": an entry beside About in the system menu opens a box of the lines `check`
  // gives, run off the view's thread. Set before the window runs; without it there is no entry.
  void OfferStationCheck(std::function<std::string()> check) { m_stationCheck = std::move(check); }
  // Runs on the view's thread after everything the model has shown so far, once the window exists.
  void RunWhenShown(std::function<void()> task) { RunOnViewThread(std::move(task)); }

  // Shows the window and runs it on the calling thread until the model ends the dialog. False when the
  // window could not be made (no display, no resources).
  bool Run();
  // The main window while it exists, else nullptr. Any thread.
  HWND Window() const { return m_window.load(); }

  // DialogView.
  void ShowTitle(const std::string& title) override;
  void ShowControlEnabled(int controlId, bool enabled) override;
  void ShowProgress(int position) override;
  void ShowSlider(int position) override;
  void ShowLinkStatus(const std::string& text) override;
  void ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
  void PlaySoundFile(const std::string& path) override;
  void ShowAboutBox() override;
  void EndDialog() override;

 private:
  static INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  void OnCommand(int controlId);
  void OnDestroy();

  // Queues the task to the view's thread; tasks run one per message, so one that opens a modal box
  // leaves the others to that box's message loop rather than holding them up.
  void RunOnViewThread(std::function<void()> task);
  void RunNextTask();
  void PostClick(int controlId);
  // Starts this program's production view; false when it could not be started.
  bool StartLineView();
  void OpenAboutBox();
  void OpenCheckBox();
  void Close();

  CQuillonApp* m_app = nullptr;
  int m_pressWhenEnabled = 0;
  std::atomic<HWND> m_window{nullptr};
  // The view's thread only.
  HWND m_aboutBox = nullptr;
  HWND m_checkBox = nullptr;
  bool m_ended = false;
  std::function<std::string()> m_stationCheck;

  std::mutex m_tasksLock;  // guards the queue, and m_window's changes with it
  std::deque<std::function<void()>> m_tasks;
  bool m_windowGone = false;  // under m_tasksLock: tasks queued after the window went are dropped
};

}  // namespace win32
}  // namespace quillon
