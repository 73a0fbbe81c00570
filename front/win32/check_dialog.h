// The window's "Check this station…" box (template 103): the lines of the station's check of itself,
// shown as soon as the check, run on a thread of its own, has them.
#pragma once

#include <functional>
#include <string>

#include "link/os/windows_api.h"

namespace quillon::win32 {

// The entry's command in the system menu, beside About (kIdAboutCommand).
inline constexpr unsigned kIdCheckStationCommand = 0x0200;

// Shows the box modal to owner and returns when the operator has closed it and the check has ended.
// opened learns the box's window as it appears, so that its owner can bring it forward or close it.
void RunCheckDialog(HWND owner, const std::function<std::string()>& check,
                    const std::function<void(HWND)>& opened);

}  // namespace quillon::win32
