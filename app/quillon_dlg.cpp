#include "app/quillon_dlg.h"

#include "app/shared_state.h"

namespace quillon {

CQuillonDlg::CQuillonDlg(DialogView& view, DialogThread& dialogThread, UsbBridge& usb, StationTiming timing)
    : m_view(view), m_dialogThread(dialogThread), m_usb(usb), m_timing(timing) {
  // As the window template creates them: every job button enabled but the English colour one.
  for (std::size_t i = 0; i < kJobButtonIds.size(); ++i) {
    m_jobButtonEnabled[i].store(kJobButtonIds[i] != kIdWriteColour240English);
  }
}

CQuillonDlg::~CQuillonDlg() = default;

void CQuillonDlg::OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case WM_SERIAL_BYTE:
      OnSerialByte(wParam, lParam);
      break;
    case WM_TIMER:
      OnTimer(static_cast<unsigned>(wParam));
      break;
    default:
      break;  // the dialog handles no other driver message
  }
}

void CQuillonDlg::OnTimer(unsigned /*timerId*/) {
  CountDownWaitTicks();
}

void CQuillonDlg::CountDownWaitTicks() {
  // Two off per one-second tick: wait allowances count half-seconds.
  for (int i = 0; i < 2; ++i) {
    std::uint8_t ticks = g_waitTicks.load(std::memory_order_relaxed);
    if (ticks != 0) g_waitTicks.store(ticks - 1, std::memory_order_relaxed);
  }
  NotifyLinkEvent();
}

void CQuillonDlg::EnableJobButtons(bool enable) {
  m_dialogThread.Send([this, enable] {
    for (std::size_t i = 0; i < kJobButtonIds.size(); ++i) {
      m_jobButtonEnabled[i].store(enable);
      m_view.ShowControlEnabled(kJobButtonIds[i], enable);
    }
  });
}

bool CQuillonDlg::IsControlEnabled(int controlId) const {
  for (std::size_t i = 0; i < kJobButtonIds.size(); ++i) {
    if (kJobButtonIds[i] == controlId) return m_jobButtonEnabled[i].load();
  }
  return true;  // the Exit button, the slider and the progress bar are never disabled
}

void CQuillonDlg::MessageBox(const std::string& text, MessageIcon icon) {
  m_view.ShowMessageBox(text, g_windowTitle, icon);
}

void CQuillonDlg::SendSerialMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  m_dialogThread.Send(message, wParam, lParam);
}

void CQuillonDlg::DispatchPendingMessages() {
  m_dialogThread.DispatchPending();
}

}  // namespace quillon
