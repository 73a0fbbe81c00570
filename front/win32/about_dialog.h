// The About box (template 100): the icon, the version, a line about the product and OK.
#pragma once

#include <functional>

#include "link/os/windows_api.h"

namespace quillon::win32 {

// Shows the box modal to owner and returns when the operator has closed it. opened learns the box's
// window as it appears, so that its owner can bring it forward or close it.
void RunAboutDialog(HWND owner, const std::function<void(HWND)>& opened);

}  // namespace quillon::win32
