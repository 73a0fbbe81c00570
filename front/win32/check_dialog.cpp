#include "front/win32/check_dialog.h"

#include <mutex>
#include <thread>

#include "front/common/check_lines.h"
#include "link/os/wide_text.h"
#include "res/quillon_resources.h"
#include "texts/catalogue.h"

namespace quillon::win32 {
namespace {

// The check's lines are ready in the box's state.
constexpr UINT kLinesReadyMessage = WM_APP + 2;

struct CheckBoxState {
  const std::function<std::string()>& check;
  const std::function<void(HWND)>& opened;
  std::mutex lock;
  std::string lines;  // under lock
  std::thread worker;
};

// An edit control breaks lines at "\r\n" only.
std::wstring EditText(const std::string& lines) {
  std::wstring text;
  for (wchar_t c : WideText(lines)) {
    if (c == L'\n') text += L'\r';
    text += c;
  }
  return text;
}

INT_PTR CALLBACK CheckDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrW(box, DWLP_USER, lParam);
      auto* state = reinterpret_cast<CheckBoxState*>(lParam);
      ::SetWindowTextW(box, WideText(Tr(kCheckStationTitle)).c_str());
      ::SetDlgItemTextW(box, IDC_CHECK_LINES, WideText(Tr(kCheckingText)).c_str());
      ::SetDlgItemTextW(box, IDCANCEL, WideText(Tr("Close")).c_str());
      state->opened(box);
      // The box outlives the thread (its owner waits for it), and a message to a box closed meanwhile
      // is dropped.
      state->worker = std::thread([state, box] {
        std::string lines = state->check();
        {
          const std::lock_guard guard(state->lock);
          state->lines = std::move(lines);
        }
        ::PostMessageW(box, kLinesReadyMessage, 0, 0);
      });
      return TRUE;
    }
    case kLinesReadyMessage: {
      auto* state = reinterpret_cast<CheckBoxState*>(::GetWindowLongPtrW(box, DWLP_USER));
      const std::lock_guard guard(state->lock);
      ::SetDlgItemTextW(box, IDC_CHECK_LINES, EditText(state->lines).c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) ::EndDialog(box, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunCheckDialog(HWND owner, const std::function<std::string()>& check,
                    const std::function<void(HWND)>& opened) {
  CheckBoxState state{check, opened, {}, {}, {}};
  ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHECKBOX), owner, CheckDialogProc,
                    reinterpret_cast<LPARAM>(&state));
  if (state.worker.joinable()) state.worker.join();
}

}  // namespace quillon::win32
