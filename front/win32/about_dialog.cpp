#include "front/win32/about_dialog.h"

#include "res/quillon_resources.h"

namespace quillon::win32 {
namespace {

INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      (*reinterpret_cast<const std::function<void(HWND)>*>(lParam))(box);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) ::EndDialog(box, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunAboutDialog(HWND owner, const std::function<void(HWND)>& opened) {
  ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, AboutDialogProc,
                    reinterpret_cast<LPARAM>(&opened));
}

}  // namespace quillon::win32
