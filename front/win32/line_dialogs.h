// The production view's dialogs on Windows, from the resource script's templates: the supervisor's PIN,
// and the line's settings.
#pragma once

#include <optional>
#include <string>

#include "line/line_profile.h"
#include "link/os/windows_api.h"

namespace quillon::win32 {

// The PIN typed; nothing when the supervisor cancelled.
std::optional<std::string> AskForPin(HWND owner);
// The settings as changed; nothing when the supervisor cancelled. Settings that are wrong are said,
// and the dialog stays.
std::optional<LineProfile> EditLineSettings(HWND owner, const LineProfile& profile);

}  // namespace quillon::win32
