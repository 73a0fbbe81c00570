// A bitmap saved as a PNG file by the system's own encoder (the Windows Imaging Component).
#pragma once

#include <string>

#include "link/os/windows_api.h"

namespace quillon::win32 {

// The bitmap, not selected into any device context, as a PNG file of 24-bit pixels. False when COM, the
// encoder or the file refuses.
bool SaveBitmapAsPng(HBITMAP bitmap, const std::wstring& path);

}  // namespace quillon::win32
