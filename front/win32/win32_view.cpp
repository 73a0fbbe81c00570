#include "front/win32/win32_view.h"

#include <algorithm>

#include "front/common/check_lines.h"
#include "front/win32/about_dialog.h"
#include "front/win32/check_dialog.h"
#include "front/win32/common_controls.h"
#include "front/win32/translated_texts.h"
#include "link/os/wide_text.h"
#include "res/quillon_resources.h"
#include "station/dialog_controls.h"
#include "station/quillon_app.h"
#include "station/quillon_dlg.h"
#include "texts/catalogue.h"

#include <mmsystem.h>

namespace quillon::win32 {
namespace {

// The view's own message: run the next queued task.
constexpr UINT kRunTaskMessage = WM_APP + 1;

bool IsJobButton(int controlId) {
  return std::ranges::find(kJobButtonIds, controlId) != kJobButtonIds.end();
}

HICON StationIcon(int size) {
  // Shared: the system keeps it for the life of the process.
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                         IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

bool Win32View::Run() {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_QUILLON_DIALOG),
                                           nullptr, MainDialogProc, reinterpret_cast<LPARAM>(this));
  return result != -1 && result != 0;
}

INT_PTR CALLBACK Win32View::MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<Win32View*>(lParam)->OnInitDialog(window);
    return TRUE;
  }
  auto* view = reinterpret_cast<Win32View*>(::GetWindowLongPtrW(window, DWLP_USER));
  return view != nullptr ? view->OnMessage(message, wParam, lParam) : FALSE;
}

void Win32View::OnInitDialog(HWND window) {
  // The station's own entries in a group of their own, and the system menu still ending with a
  // separator and the About entry, as it always has.
  if (HMENU systemMenu = ::GetSystemMenu(window, FALSE)) {
    ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    if (m_stationCheck) {
      ::AppendMenuW(systemMenu, MF_STRING, kIdCheckStationCommand,
                    WideText(Tr(kCheckStationMenuText)).c_str());
    }
    ::AppendMenuW(systemMenu, MF_STRING, kIdLineCommand, WideText(Tr("Production line...")).c_str());
    wchar_t text[128] = {};
    if (::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128) > 0) {
      ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuW(systemMenu, MF_STRING, kIdAboutCommand, TranslatedText(text).c_str());
    }
  }
  TranslateChildTexts(window);
  ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(StationIcon(32)));
  ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(StationIcon(16)));
  ::SendDlgItemMessageW(window, kIdProgress, PBM_SETRANGE32, 0, kProgressUpper);
  ::SendDlgItemMessageW(window, kIdProgress, PBM_SETSTEP, 1, 0);
  // The fastest speed, 0, is the trackbar's top, beside its label.
  ::SendDlgItemMessageW(window, kIdSlider, TBM_SETRANGEMIN, FALSE, 0);
  ::SendDlgItemMessageW(window, kIdSlider, TBM_SETRANGEMAX, TRUE, kSliderUpper);

  // What the model showed before the window existed runs now, in order.
  std::size_t queued = 0;
  {
    const std::lock_guard lock(m_tasksLock);
    m_window.store(window);
    queued = m_tasks.size();
  }
  for (std::size_t i = 0; i < queued; ++i) ::PostMessageW(window, kRunTaskMessage, 0, 0);
}

INT_PTR Win32View::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunTaskMessage:
      RunNextTask();
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_VSCROLL: {
      const HWND slider = ::GetDlgItem(Window(), kIdSlider);
      if (reinterpret_cast<HWND>(lParam) == slider && m_app != nullptr && !m_ended) {
        m_app->PostSliderMoved(static_cast<int>(::SendMessageW(slider, TBM_GETPOS, 0, 0)));
      }
      return TRUE;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kIdLineCommand) {
        // The production view is a station of its own: it is started, and this window ends, so that the
        // line's slots find their ports free.
        if (StartLineView()) PostClick(kIdExit);
        return TRUE;
      }
      if ((wParam & 0xFFF0) == kIdCheckStationCommand && m_stationCheck) {
        OpenCheckBox();
        return TRUE;
      }
      if ((wParam & 0xFFF0) != kIdAboutCommand) return FALSE;  // the system's own commands
      if (m_app != nullptr && !m_ended) m_app->PostSystemCommand(static_cast<unsigned>(wParam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return FALSE;
  }
}

void Win32View::OnCommand(int controlId) {
  // The Exit button, Esc and the close box all arrive as the cancel command; the model ends the dialog.
  if (controlId == IDCANCEL) {
    PostClick(kIdExit);
  } else if (IsJobButton(controlId)) {
    PostClick(controlId);
  }
}

void Win32View::OnDestroy() {
  const std::lock_guard lock(m_tasksLock);
  m_window.store(nullptr);
  m_windowGone = true;
  m_tasks.clear();
}

void Win32View::RunOnViewThread(std::function<void()> task) {
  HWND window = nullptr;
  {
    const std::lock_guard lock(m_tasksLock);
    if (m_windowGone) return;
    m_tasks.push_back(std::move(task));
    window = m_window.load();
  }
  // Before the window exists, its initialisation posts for what is queued.
  if (window != nullptr) ::PostMessageW(window, kRunTaskMessage, 0, 0);
}

void Win32View::RunNextTask() {
  std::function<void()> task;
  {
    const std::lock_guard lock(m_tasksLock);
    if (m_tasks.empty()) return;
    task = std::move(m_tasks.front());
    m_tasks.pop_front();
  }
  task();
}

bool Win32View::StartLineView() {
  wchar_t self[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  if (length == 0 || length == std::size(self)) return false;
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --line --lang " +
                             (CurrentLanguage() == Language::kEnglish ? L"en" : L"zh");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

void Win32View::PostClick(int controlId) {
  if (m_app != nullptr && !m_ended) m_app->PostClick(controlId);
}

void Win32View::ShowTitle(const std::string& title) {
  RunOnViewThread([this, text = WideText(title)] { ::SetWindowTextW(Window(), text.c_str()); });
}

void Win32View::ShowControlEnabled(int controlId, bool enabled) {
  RunOnViewThread([this, controlId, enabled] {
    ::EnableWindow(::GetDlgItem(Window(), controlId), enabled ? TRUE : FALSE);
    // The model enables a button only once the station can take the job: the click posted now follows
    // the enabling on the dialog thread and starts it.
    if (enabled && controlId == m_pressWhenEnabled && m_app != nullptr &&
        m_app->Dialog().JobsStarted() == 0) {
      PostClick(controlId);
    }
  });
}

void Win32View::ShowProgress(int position) {
  RunOnViewThread(
      [this, position] { ::SendDlgItemMessageW(Window(), kIdProgress, PBM_SETPOS, position, 0); });
}

void Win32View::ShowSlider(int position) {
  RunOnViewThread([this, position] {
    const HWND slider = ::GetDlgItem(Window(), kIdSlider);
    // While the operator drags, the thumb follows the mouse; the model's echoes of the drag would only
    // make it jitter, and the last one matches where the thumb is let go.
    if (::GetCapture() == slider) return;
    ::SendMessageW(slider, TBM_SETPOS, TRUE, position);
  });
}

void Win32View::ShowLinkStatus(const std::string& text) {
  RunOnViewThread(
      [this, status = WideText(text)] { ::SetDlgItemTextW(Window(), kIdLinkStatus, status.c_str()); });
}

void Win32View::ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon) {
  // Owned by the main window, which it disables meanwhile, and run by the calling thread's own loop.
  const UINT style = MB_OK | (icon == MessageIcon::kError ? MB_ICONERROR : MB_ICONINFORMATION);
  ::MessageBoxW(Window(), WideText(text).c_str(), WideText(title).c_str(), style);
}

void Win32View::PlaySoundFile(const std::string& path) {
  // Without SND_NODEFAULT the system's default sound plays when the file cannot be found.
  ::PlaySoundW(WideText(path).c_str(), nullptr, SND_ASYNC | SND_FILENAME);
}

void Win32View::ShowAboutBox() {
  RunOnViewThread([this] { OpenAboutBox(); });
}

void Win32View::OpenAboutBox() {
  if (m_ended) return;
  if (m_aboutBox != nullptr) {
    ::SetForegroundWindow(m_aboutBox);
    return;
  }
  // Modal to the window; its loop also runs the model's changes queued meanwhile.
  RunAboutDialog(Window(), [this](HWND box) {
    TranslateChildTexts(box);
    wchar_t caption[128] = {};
    if (::GetWindowTextW(box, caption, static_cast<int>(std::size(caption))) > 0) {
      ::SetWindowTextW(box, TranslatedText(caption).c_str());
    }
    m_aboutBox = box;
  });
  m_aboutBox = nullptr;
}

void Win32View::OpenCheckBox() {
  if (m_ended) return;
  if (m_checkBox != nullptr) {
    ::SetForegroundWindow(m_checkBox);
    return;
  }
  RunCheckDialog(Window(), m_stationCheck, [this](HWND box) { m_checkBox = box; });
  m_checkBox = nullptr;
}

void Win32View::EndDialog() {
  RunOnViewThread([this] { Close(); });
}

void Win32View::Close() {
  if (m_ended) return;
  m_ended = true;
  if (m_aboutBox != nullptr) ::EndDialog(m_aboutBox, IDCANCEL);
  if (m_checkBox != nullptr) ::EndDialog(m_checkBox, IDCANCEL);
  ::EndDialog(Window(), IDCANCEL);
}

}  // namespace quillon::win32
