// The station's window: a Qt dialog that mirrors the main dialog's model and reports the operator's
// actions to it. The model runs on its own dialog thread and stays the authority: every change arrives
// here as a call on that thread and is queued to Qt's thread; every action is posted back, never sent,
// so neither thread ever waits for the other (message boxes excepted, which must block their caller).
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <map>

#include "station/dialog_view.h"

class QAction;
class QLabel;
class QProgressBar;
class QSlider;

namespace quillon {

class CQuillonApp;

namespace qt {

class QtView : public QDialog, public DialogView {
 public:
  QtView();
  ~QtView() override;

  // Where the operator's actions go; set before the application starts. Without it they are dropped.
  void Attach(CQuillonApp* app) { m_app = app; }
  // Presses the button as it shows enabled, unless a job has started by then; again at a later enabling
  // if the link went down before the press arrived. Set before the application starts.
  void PressWhenEnabled(int controlId) { m_pressWhenEnabled = controlId; }
  // Runs on Qt's thread once the model has ended the dialog and the window has closed.
  void OnEnded(std::function<void()> onEnded) { m_onEnded = std::move(onEnded); }

  // The widget of a control id, or nullptr.
  QWidget* Control(int controlId) const;
  QAction* AboutAction() const { return m_aboutAction; }
  // "Check this station…": the entry beside About opens a box of the lines `check` gives, run off
  // Qt's thread. Set before the window shows; without it there is no entry.
  void OfferStationCheck(std::function<std::string()> check);
  QAction* CheckAction() const { return m_checkAction; }
  bool Ended() const { return m_ended; }

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

 protected:
  // Esc and the close box ask the model to exit, as the Exit button does; the model closes the window.
  void reject() override;

 private:
  void BuildControls();
  void BuildAboutEntry();
  void BuildLineEntry();
  void RunOnQtThread(std::function<void()> task);
  void PostClick(int controlId);
  void OpenAboutBox();
  void Close();

  CQuillonApp* m_app = nullptr;
  std::function<void()> m_onEnded;
  std::map<int, QWidget*> m_controls;
  QProgressBar* m_progress = nullptr;
  QSlider* m_slider = nullptr;
  QLabel* m_linkStatus = nullptr;
  QAction* m_aboutAction = nullptr;
  QAction* m_lineAction = nullptr;
  QAction* m_checkAction = nullptr;
  QPointer<QDialog> m_aboutBox;
  QPointer<QDialog> m_checkBox;
  bool m_ended = false;  // Qt's thread only
  int m_pressWhenEnabled = 0;
};

}  // namespace qt
}  // namespace quillon
