#include "station/quillon_app.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace quillon {

CQuillonApp::CQuillonApp(DialogView& view, UsbBridge& usb, StationWorkers workers, StationTiming timing)
    : m_dialog(view, m_dialogThread, usb, std::move(timing), std::move(workers)) {}

CQuillonApp::~CQuillonApp() {
  m_dialogThread.QuitAndWait();
}

void CQuillonApp::Start() {
  m_dialogThread.Start(
      [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { m_dialog.OnMessage(m, w, l); });
  m_dialogThread.Post([this] { m_dialog.OnInitDialog(); });
}

void CQuillonApp::WaitForEnd() {
  m_dialogThread.WaitForEnd();
}

void CQuillonApp::PostClick(int controlId) {
  m_dialogThread.Post([this, controlId] { m_dialog.OnCommand(controlId); });
}

PressOutcome CQuillonApp::Press(int controlId) {
  PressOutcome outcome = PressOutcome::kControlDisabled;  // also when the dialog has ended
  m_dialogThread.Send([&] {
    if (!m_dialog.IsControlEnabled(controlId)) return;
    const std::uint32_t jobsBefore = m_dialog.JobsStarted();
    m_dialog.OnCommand(controlId);
    outcome = m_dialog.JobsStarted() != jobsBefore ? PressOutcome::kJobStarted : PressOutcome::kNoJobStarted;
  });
  return outcome;
}

PressOutcome CQuillonApp::RunJob(const Worker& worker) {
  PressOutcome outcome = PressOutcome::kControlDisabled;  // also when the dialog has ended
  m_dialogThread.Send([&] {
    if (m_dialog.StartOwnJob(worker)) outcome = PressOutcome::kJobStarted;
  });
  return outcome;
}

void CQuillonApp::PostSliderMoved(int position) {
  m_dialogThread.Post([this, position] { m_dialog.OnSliderMoved(position); });
}

void CQuillonApp::PostSystemCommand(unsigned commandId) {
  m_dialogThread.Post([this, commandId] { m_dialog.OnSysCommand(commandId); });
}

void EndProcess(CQuillonApp& app, int exitCode, const std::function<void()>& release) {
  // The dialog's handlers use the process's state: let the dialog thread finish before it is torn down.
  app.Thread().QuitAndWait();
  std::fflush(nullptr);
  if (app.Dialog().JobWorkerAlive() || app.Dialog().ConnectionAttemptRunning()) std::_Exit(exitCode);
  app.Dialog().m_port.Stop();
  if (release) release();
  std::exit(exitCode);
}

}  // namespace quillon
