#include "front/win32/translated_texts.h"

#include "link/os/wide_text.h"
#include "texts/catalogue.h"

namespace quillon::win32 {
namespace {

BOOL CALLBACK TranslateChild(HWND child, LPARAM) {
  wchar_t text[256] = {};
  if (::GetWindowTextW(child, text, static_cast<int>(std::size(text))) > 0) {
    ::SetWindowTextW(child, TranslatedText(text).c_str());
  }
  return TRUE;
}

}  // namespace

void TranslateChildTexts(HWND window) {
  if (CurrentLanguage() == Language::kChinese) return;  // the templates' own texts
  ::EnumChildWindows(window, TranslateChild, 0);
}

void TranslateDialogTexts(HWND dialog) {
  wchar_t caption[256] = {};
  ::GetWindowTextW(dialog, caption, static_cast<int>(std::size(caption)));
  ::SetWindowTextW(dialog, TranslatedText(caption).c_str());
  ::EnumChildWindows(dialog, TranslateChild, 0);
}

std::wstring TranslatedText(const wchar_t* text) {
  const std::string message = Utf8Text(text);
  return WideText(Tr(message.c_str()));
}

}  // namespace quillon::win32
