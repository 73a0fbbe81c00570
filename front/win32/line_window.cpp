#include "front/win32/line_window.h"

#include <filesystem>

#include "front/win32/line_dialogs.h"
#include "front/win32/line_painting.h"
#include "link/os/utf8_path.h"
#include "link/os/wide_text.h"
#include "res/quillon_resources.h"
#include "texts/catalogue.h"

#include <mmsystem.h>

namespace quillon::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"QuillonProductionLine";
constexpr UINT kLineChangedMessage = WM_APP + 1;
// windows.h's WM_TIMER gives way to the dialog's constant of the same value (link/os/windows_api.h).
constexpr UINT kTimerMessage = 0x0113;
constexpr UINT_PTR kEndTimer = 1;
constexpr UINT kEndTimerPeriodMs = 100;
constexpr int kSettingsButton = 3001;
constexpr int kShiftButton = 3002;
constexpr int kLeaveButton = 3003;
constexpr int kButtonWidth = 140;
constexpr int kButtonHeight = 32;
constexpr int kButtonsHeight = 44;

std::wstring Caption(HWND window) {
  wchar_t caption[256] = {};
  ::GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
  return caption;
}

}  // namespace

LineWindow::LineWindow(const LineProfile& profile, const LineOptions& options)
    : m_options(options), m_profile(profile) {}

LineWindow::~LineWindow() = default;

bool LineWindow::Run() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassExW(&windowClass);
  m_window = ::CreateWindowExW(0, kWindowClass, WideText(Tr("Production line")).c_str(),
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 1366, 768,
                               nullptr, nullptr, instance, this);
  if (m_window == nullptr) return false;
  ::ShowWindow(m_window, SW_SHOW);
  ::UpdateWindow(m_window);
  if (m_whenShown) std::exchange(m_whenShown, nullptr)();
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return true;
}

LRESULT CALLBACK LineWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<LineWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_window = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<LineWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return self->OnMessage(message, wParam, lParam);
}

LRESULT LineWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      LayOutButtons();
      ::InvalidateRect(m_window, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers it all
    case WM_PAINT:
      OnPaint();
      return 0;
    case kLineChangedMessage:
      ::InvalidateRect(m_window, nullptr, FALSE);
      return 0;
    case WM_CHAR:
      OnChar(static_cast<wchar_t>(wParam));
      return 0;
    case kTimerMessage:
      if (wParam == kEndTimer) OnTimer();
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kSettingsButton:
          WithUnlocked([this] { EditSettings(); });
          break;
        case kShiftButton:
          WithUnlocked([this] { NewShift(); });
          break;
        case kLeaveButton:
          WithUnlocked([this] { Leave(); });
          break;
      }
      // The scanner's keys belong to the window, never to a button.
      ::SetFocus(m_window);
      return 0;
    case WM_CLOSE:
      // The close box is leaving the view, which the PIN guards; the line ends after its units.
      if (m_line && !m_leaving) {
        WithUnlocked([this] { Leave(); });
      } else {
        ::DestroyWindow(m_window);
      }
      return 0;
    case WM_QUERYENDSESSION:
      // Log-off or shut-down: the units in hand are finished and recorded first, the session held back
      // with a reason the system shows meanwhile.
      if (!m_line) return TRUE;
      if (!m_sessionEnding) {
        m_sessionEnding = true;
        EndAfterUnitsInHand();
        ::ShutdownBlockReasonCreate(m_window, WideText(Tr("Finishing the units in hand")).c_str());
      }
      return FALSE;
    case WM_DESTROY:
      ::KillTimer(m_window, kEndTimer);
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(m_window, message, wParam, lParam);
  }
}

void LineWindow::OnCreate() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const auto button = [&](const char* text, int id) {
    return ::CreateWindowExW(0, L"BUTTON", WideText(Tr(text)).c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                             0, 0, kButtonWidth, kButtonHeight, m_window,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  m_settingsButton = button("Settings...", kSettingsButton);
  m_shiftButton = button("New shift", kShiftButton);
  m_leaveButton = button("Leave", kLeaveButton);
  const HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  for (const HWND control : {m_settingsButton, m_shiftButton, m_leaveButton}) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  ::SetTimer(m_window, kEndTimer, kEndTimerPeriodMs, nullptr);
  Open(m_profile);
}

void LineWindow::LayOutButtons() {
  RECT client{};
  ::GetClientRect(m_window, &client);
  int left = client.right - 3 * (kButtonWidth + 8);
  const int top = client.bottom - kButtonsHeight + (kButtonsHeight - kButtonHeight) / 2;
  for (const HWND control : {m_settingsButton, m_shiftButton, m_leaveButton}) {
    ::MoveWindow(control, left, top, kButtonWidth, kButtonHeight, TRUE);
    left += kButtonWidth + 8;
  }
}

void LineWindow::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(m_window, &paint);
  RECT client{};
  ::GetClientRect(m_window, &client);
  // Drawn off the screen first, so that a redraw every progress event does not flicker.
  const HDC buffer = ::CreateCompatibleDC(dc);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
  const HGDIOBJ before = ::SelectObject(buffer, bitmap);
  const RECT area{0, 0, client.right, client.bottom - kButtonsHeight};
  ::FillRect(buffer, &client, static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
  PaintLine(buffer, area, m_line ? &m_line->Model() : nullptr, m_openProblem);
  ::BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  ::SelectObject(buffer, before);
  ::DeleteObject(bitmap);
  ::DeleteDC(buffer);
  ::EndPaint(m_window, &paint);
}

void LineWindow::OnChar(wchar_t character) {
  // A scanner is a keyboard: a code, then Enter.
  if (character == L'\r') {
    if (m_line) m_line->Model().Scanned(Utf8Text(std::exchange(m_scanned, {})));
    return;
  }
  if (character >= L' ') m_scanned += character;
}

void LineWindow::OnTimer() {
  // The line ends when asked to, after its units in hand; then it opens anew with new settings, or the
  // window goes.
  if (!m_line || !m_line->Ended()) return;
  m_line.reset();
  m_openProblem = Tr("The line has ended.");
  ::InvalidateRect(m_window, nullptr, FALSE);
  if (m_sessionEnding) ::ShutdownBlockReasonDestroy(m_window);
  if (m_reopenWith && !m_leaving) {
    Open(*std::exchange(m_reopenWith, std::nullopt));
    return;
  }
  ::DestroyWindow(m_window);
}

void LineWindow::Open(const LineProfile& profile) {
  m_profile = profile;
  Result<std::unique_ptr<LineController>> line = LineController::Open(profile, m_options, *this);
  if (!line) {
    m_openProblem = line.Failure().words;
  } else {
    m_openProblem.clear();
    m_line = std::move(*line);
  }
  ::InvalidateRect(m_window, nullptr, FALSE);
}

void LineWindow::LineChanged() {
  if (m_window != nullptr) ::PostMessageW(m_window, kLineChangedMessage, 0, 0);
}

void LineWindow::PlayResultSound(bool passed) {
  const std::filesystem::path sound =
      std::filesystem::current_path() / (passed ? L"FinishVoice.wav" : L"ErrorVoice.wav");
  ::PlaySoundW(sound.c_str(), nullptr, SND_ASYNC | SND_FILENAME);
}

void LineWindow::WithUnlocked(const std::function<void()>& action) {
  if (m_line && m_line->Model().Locked()) {
    const std::optional<std::string> pin = AskForPin(m_window);
    if (!pin) return;
    if (!m_line || !m_line->Model().Unlock(*pin)) {
      ::MessageBoxW(m_window, WideText(Tr("That is not the supervisor's PIN.")).c_str(),
                    Caption(m_window).c_str(), MB_OK | MB_ICONWARNING);
      return;
    }
  }
  action();
  if (m_line) m_line->Model().Lock();
}

void LineWindow::EditSettings() {
  const std::optional<LineProfile> changed =
      EditLineSettings(m_window, m_line ? m_line->Model().Profile() : m_profile);
  if (!changed) return;
  if (Result<void> saved = SaveLineProfile(m_options.profilePath, *changed); !saved) {
    ::MessageBoxW(m_window, WideText(saved.Failure().words).c_str(), Caption(m_window).c_str(),
                  MB_OK | MB_ICONWARNING);
    return;
  }
  if (!m_line) {
    Open(*changed);
    return;
  }
  // The line starts anew with them once its units in hand are done.
  m_reopenWith = *changed;
  m_line->RequestEnd();
}

void LineWindow::NewShift() {
  if (!m_line) return;
  if (Result<void> started = m_line->Model().NewShift(); !started) {
    ::MessageBoxW(m_window, WideText(started.Failure().words).c_str(), Caption(m_window).c_str(),
                  MB_OK | MB_ICONWARNING);
  }
}

void LineWindow::Leave() {
  m_leaving = true;
  if (m_line) {
    m_line->RequestEnd();
  } else {
    ::DestroyWindow(m_window);
  }
}

void LineWindow::EndAfterUnitsInHand() {
  m_leaving = true;
  if (m_line) m_line->RequestEnd();
}

}  // namespace quillon::win32
