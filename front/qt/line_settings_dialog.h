// The production line's settings as the supervisor edits them in the Qt window: the package, the
// station's name, the log, the slots (a port and a label a line) and a new PIN.
#pragma once

#include <optional>

#include "line/line_profile.h"

class QWidget;

namespace quillon::qt {

// The settings as changed; nothing when the supervisor cancelled.
std::optional<LineProfile> EditLineSettings(QWidget* parent, const LineProfile& profile);

}  // namespace quillon::qt
