#include "front/win32/line_dialogs.h"

#include <vector>

#include "front/common/line_settings_text.h"
#include "front/common/package_buttons.h"
#include "front/win32/translated_texts.h"
#include "link/os/wide_text.h"
#include "res/quillon_resources.h"
#include "texts/catalogue.h"

namespace quillon::win32 {
namespace {

// The texts the templates of res/quillon.rc are written with, which TranslateDialogTexts translates.
[[maybe_unused]] constexpr const char* kTemplateTexts[] = {N_("Production line"),
                                                           N_("Supervisor's PIN:"),
                                                           N_("OK"),
                                                           N_("Cancel"),
                                                           N_("Production line settings"),
                                                           N_("Package:"),
                                                           N_("Station's name:"),
                                                           N_("Log file:"),
                                                           N_("Slots (a port and its label a line):"),
                                                           N_("New PIN (empty: unchanged):"),
                                                           N_("New PIN again:")};

std::string ControlText(HWND dialog, int control) {
  const HWND item = ::GetDlgItem(dialog, control);
  std::vector<wchar_t> text(static_cast<std::size_t>(::GetWindowTextLengthW(item)) + 1);
  ::GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
  return Utf8Text(text.data());
}

void SetControlText(HWND dialog, int control, const std::string& text) {
  ::SetDlgItemTextW(dialog, control, WideText(text).c_str());
}

// The slots' text with Windows' line ends, as a multi-line edit wants them.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

struct PinPrompt {
  std::optional<std::string> pin;
};

INT_PTR CALLBACK PinProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      TranslateDialogTexts(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        reinterpret_cast<PinPrompt*>(::GetWindowLongPtrW(dialog, DWLP_USER))->pin =
            ControlText(dialog, IDC_LINE_PIN);
      }
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) ::EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

struct SettingsEdit {
  LineProfile profile;
  std::optional<LineProfile> changed;
};

void FillSettings(HWND dialog, const LineProfile& profile) {
  const HWND packages = ::GetDlgItem(dialog, IDC_LINE_PACKAGE);
  for (const PackageButton& package : Packages()) {
    const LRESULT index =
        ::SendMessageW(packages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(package.name).c_str()));
    if (profile.package == package.name)
      ::SendMessageW(packages, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  SetControlText(dialog, IDC_LINE_STATION, profile.station);
  SetControlText(dialog, IDC_LINE_LOG, profile.log);
  SetControlText(dialog, IDC_LINE_SLOTS, WithCrLf(SlotsText(profile.slots)));
}

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* edit = reinterpret_cast<SettingsEdit*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      TranslateDialogTexts(dialog);
      FillSettings(dialog, reinterpret_cast<SettingsEdit*>(lParam)->profile);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
      } else if (LOWORD(wParam) == IDOK) {
        const Result<LineProfile> changed = ChangedProfile(
            edit->profile,
            {ControlText(dialog, IDC_LINE_PACKAGE), ControlText(dialog, IDC_LINE_STATION),
             ControlText(dialog, IDC_LINE_LOG), ControlText(dialog, IDC_LINE_SLOTS),
             ControlText(dialog, IDC_LINE_NEW_PIN), ControlText(dialog, IDC_LINE_NEW_PIN_AGAIN)});
        if (!changed) {
          wchar_t caption[256] = {};
          ::GetWindowTextW(dialog, caption, static_cast<int>(std::size(caption)));
          ::MessageBoxW(dialog, WideText(changed.Failure().words).c_str(), caption, MB_OK | MB_ICONWARNING);
          return TRUE;
        }
        edit->changed = *changed;
        ::EndDialog(dialog, IDOK);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<std::string> AskForPin(HWND owner) {
  PinPrompt prompt;
  ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LINE_PIN), owner, PinProc,
                    reinterpret_cast<LPARAM>(&prompt));
  return prompt.pin;
}

std::optional<LineProfile> EditLineSettings(HWND owner, const LineProfile& profile) {
  SettingsEdit edit{profile, std::nullopt};
  ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LINE_SETTINGS), owner, SettingsProc,
                    reinterpret_cast<LPARAM>(&edit));
  return edit.changed;
}

}  // namespace quillon::win32
