// A picture of a window as it is on the screen, saved as a PNG file: for documentation and for
// checking by eye that the captions render.
#pragma once

#include <string>

#include "link/os/windows_api.h"

namespace quillon::win32 {

// Repaints the window and its controls, then saves what it shows, frame included. False when the file
// cannot be written.
bool SaveWindowImage(HWND window, const std::wstring& path);

}  // namespace quillon::win32
