#include "station/quillon_dlg.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "link/link_status.h"
#include "link/os/utf8_path.h"
#include "station/shared_state.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

// The sound files lie in the directory the station was started in.
std::string WorkingDirectoryFile(const char* name) {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::current_path(error);
  return Utf8FromPath(directory / name);
}

}  // namespace

CQuillonDlg::CQuillonDlg(DialogView& view, DialogThread& dialogThread, UsbBridge& usb, StationTiming timing,
                         StationWorkers workers)
    : m_view(view),
      m_dialogThread(dialogThread),
      m_usb(usb),
      m_timing(std::move(timing)),
      m_workers(std::move(workers)) {
  // As the window template creates them: every job button enabled but the English colour one.
  for (std::size_t i = 0; i < kJobButtonIds.size(); ++i) {
    m_jobButtonEnabled[i].store(kJobButtonIds[i] != kIdWriteColour240English);
  }
}

CQuillonDlg::~CQuillonDlg() = default;

bool CQuillonDlg::OnInitDialog() {
  m_view.ShowTitle(g_windowTitle);
  m_progress.SetRange(0, kProgressUpper);
  m_progress.step = 1;
  m_view.ShowProgress(m_progress.position);
  m_slider.SetRange(0, kSliderUpper);

  g_writeSpeed.store(kDefaultWriteSpeed);
  LoadSpeed();
  m_slider.SetPos(g_writeSpeed.load());
  m_view.ShowSlider(m_slider.position);

  m_usbHandle.store(kNoUsbDevice);
  g_finishSoundPath = WorkingDirectoryFile("FinishVoice.wav");
  g_errorSoundPath = WorkingDirectoryFile("ErrorVoice.wav");

  // No job can start until the watchdog has brought a link up.
  g_linkKind.store(kNoLink);
  EnableJobButtons(false);
  m_linkStatus = LookingForDeviceText();
  m_view.ShowLinkStatus(m_linkStatus);
  g_watchdogTicks.store(kWatchdogStartTicks);
  m_dialogThread.SetTimer(m_timing.timerPeriod, [this] { OnTimer(1); });
  return true;
}

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

void CQuillonDlg::OnSysCommand(unsigned commandId) {
  if ((commandId & 0xFFF0) == kIdAboutCommand) m_view.ShowAboutBox();
}

void CQuillonDlg::OnSliderMoved(int position) {
  m_slider.SetPos(position);
  m_view.ShowSlider(m_slider.position);
}

void CQuillonDlg::OnCancel() {
  // Running workers are not waited for.
  CloseUsbDevice();
  m_view.EndDialog();
  m_dialogThread.Quit();
}

void CQuillonDlg::EnableJobButtons(bool enable) {
  m_dialogThread.Send([this, enable] {
    // A link that came up while a job was closing has been lost again: the job's end opens nothing.
    if (!enable) m_acceptJobsWhenWorkerEnds = false;
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
  // The boxes the station has always shown are translated here; a text made with parts is translated
  // as it is made, and comes through as it is.
  {
    std::scoped_lock guard(m_boxLock);
    ++m_boxesShown;
    m_lastBoxMessage = text;
  }
  m_view.ShowMessageBox(Tr(text.c_str()), g_windowTitle, icon);
}

void CQuillonDlg::SetProgressPos(int position) {
  m_dialogThread.Send([this, position] {
    m_progress.SetPos(position);
    m_view.ShowProgress(m_progress.position);
  });
}

void CQuillonDlg::StepProgress() {
  m_dialogThread.Send([this] {
    m_progress.StepIt();
    m_view.ShowProgress(m_progress.position);
  });
}

int CQuillonDlg::ProgressPos() {
  int position = 0;
  m_dialogThread.Send([&] { position = m_progress.position; });
  return position;
}

std::uint32_t CQuillonDlg::BoxesShown() const {
  std::scoped_lock guard(m_boxLock);
  return m_boxesShown;
}

std::string CQuillonDlg::LastBoxMessage() const {
  std::scoped_lock guard(m_boxLock);
  return m_lastBoxMessage;
}

void CQuillonDlg::ShowLinkStatus(const std::string& text) {
  m_dialogThread.Send([this, text] {
    if (text == m_linkStatus) return;
    m_linkStatus = text;
    m_view.ShowLinkStatus(m_linkStatus);
  });
}

void CQuillonDlg::DeviceAbsent() {
  m_dialogThread.Send([this] { m_view.ShowDeviceAbsent(); });
}

void CQuillonDlg::ShowNotice(const std::string& text) {
  m_dialogThread.Send([this, text] { m_view.ShowNotice(text); });
}

std::string CQuillonDlg::LinkStatus() {
  std::string text;
  m_dialogThread.Send([&] { text = m_linkStatus; });
  return text;
}

void CQuillonDlg::PlaySoundFile(const std::string& path) {
  m_view.PlaySoundFile(path);
}

int CQuillonDlg::SliderPos() {
  int position = 0;
  m_dialogThread.Send([&] { position = m_slider.position; });
  return position;
}

void CQuillonDlg::SendSerialMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  m_dialogThread.Send(message, wParam, lParam);
}

void CQuillonDlg::SendSerialBytes(std::span<const std::uint8_t> bytes, std::intptr_t port) {
  m_dialogThread.SendEach(WM_SERIAL_BYTE, bytes, port);
}

void CQuillonDlg::DispatchPendingMessages() {
  m_dialogThread.DispatchPending();
}

}  // namespace quillon
