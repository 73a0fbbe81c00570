// The production view in the Windows window: a window of its own that paints the header and a tile per
// slot (line_painting.h), with three buttons (settings, new shift, leave) that ask for the supervisor's
// PIN while the line is locked. A barcode scanner types into it: its code and Enter label the next unit.
// The model changes on the supervisor's thread and posts a message; the window paints on its own. The
// session ending (log-off, shut-down) ends the line after the units in hand, held back until then.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "front/common/line_controller.h"
#include "line/line_model.h"
#include "link/os/windows_api.h"

namespace quillon::win32 {

class LineWindow : public LineView {
 public:
  LineWindow(const LineProfile& profile, const LineOptions& options);
  ~LineWindow() override;
  LineWindow(const LineWindow&) = delete;
  LineWindow& operator=(const LineWindow&) = delete;

  // Shows the window and runs it on the calling thread until the line has ended and the window has gone.
  // False when the window could not be made.
  bool Run();
  // Runs on the window's thread once it is shown.
  void RunWhenShown(std::function<void()> task) { m_whenShown = std::move(task); }
  HWND Window() const { return m_window; }
  const std::string& OpenProblem() const { return m_openProblem; }
  LineModel* Model() { return m_line ? &m_line->Model() : nullptr; }
  // The line ends after the units in hand, then the window; on the window's thread.
  void EndAfterUnitsInHand();

  // LineView, from any thread.
  void LineChanged() override;
  void PlayResultSound(bool passed) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void OnPaint();
  void OnChar(wchar_t character);
  void OnTimer();
  void LayOutButtons();
  void Open(const LineProfile& profile);
  void WithUnlocked(const std::function<void()>& action);
  void EditSettings();
  void NewShift();
  void Leave();

  LineOptions m_options;
  LineProfile m_profile;
  std::unique_ptr<LineController> m_line;
  std::string m_openProblem;
  std::wstring m_scanned;
  std::optional<LineProfile> m_reopenWith;
  std::function<void()> m_whenShown;
  bool m_leaving = false;
  bool m_sessionEnding = false;
  HWND m_window = nullptr;
  HWND m_settingsButton = nullptr;
  HWND m_shiftButton = nullptr;
  HWND m_leaveButton = nullptr;
};

}  // namespace quillon::win32
