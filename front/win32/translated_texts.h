// The resource script's templates carry the window's texts in Chinese, as the station has always shown
// them; in another language each is put in its place once the window exists.
#pragma once

#include <string>

#include "link/os/windows_api.h"

namespace quillon::win32 {

// Every child control of `window` whose text is a message of the catalogue shows its translation.
void TranslateChildTexts(HWND window);
// A dialog written with the catalogue's messages (the production view's): its caption and every child
// show their translation, in Chinese as in English.
void TranslateDialogTexts(HWND dialog);
// A text loaded from the resources, translated.
std::wstring TranslatedText(const wchar_t* text);

}  // namespace quillon::win32
