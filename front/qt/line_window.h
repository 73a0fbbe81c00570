// The production view in the Qt window: the header, a tile per slot drawn as front/common/line_look.h
// says, and three buttons (settings, new shift, leave) that ask for the supervisor's PIN while the line is
// locked. A barcode scanner types into the window: its code and Enter label the next unit. The model
// changes on the supervisor's thread; the window redraws on Qt's.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "front/common/line_controller.h"
#include "line/line_model.h"

class QPushButton;

namespace quillon::qt {
class LinePanel;
}

namespace quillon::qt {

class LineWindow : public QWidget, public LineView {
 public:
  // The line is opened from `profile` (saved to `options.profilePath` when changed in the view);
  // `onEnded` runs on Qt's thread once the line has ended and the window may go.
  LineWindow(const LineProfile& profile, const LineOptions& options, std::function<void()> onEnded);
  ~LineWindow() override;

  // Why the line could not be opened; empty when it runs.
  const std::string& OpenProblem() const { return m_openProblem; }
  LineModel* Model() { return m_line ? &m_line->Model() : nullptr; }
  // SIGTERM, the session ending: the line ends after the units in hand, then the window.
  void EndAfterUnitsInHand();

  // LineView, from any thread.
  void LineChanged() override;
  void PlayResultSound(bool passed) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Open(const LineProfile& profile);
  // Runs `action` once the PIN (when one is set) has unlocked the line, and locks it again after.
  void WithUnlocked(const std::function<void()>& action);
  void EditSettings();
  void NewShift();
  void Leave();
  void WatchForEnd();

  LineOptions m_options;
  LineProfile m_profile;  // as last opened or set: what the settings start from when no line runs
  std::function<void()> m_onEnded;
  std::unique_ptr<LineController> m_line;
  std::string m_openProblem;
  std::string m_scanned;                    // what a scanner has typed since its last Enter
  std::optional<LineProfile> m_reopenWith;  // settings applied once the line has ended
  bool m_leaving = false;
  LinePanel* m_panel = nullptr;
  QPushButton* m_settingsButton = nullptr;
  QPushButton* m_shiftButton = nullptr;
  QPushButton* m_leaveButton = nullptr;
};

}  // namespace quillon::qt
