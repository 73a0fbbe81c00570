// A stable name for a tty whose own name changes with every pty: a symbolic link that discovery and
// tests can open while the device is plugged, and that is gone while it is not.
#pragma once

#include <filesystem>
#include <string>

#include "texts/problem.h"

namespace quillon::sim {

// Points `link` at `target`, replacing an earlier link atomically. Refuses to replace anything that
// is not a symbolic link.
Result<void> PointLink(const std::filesystem::path& link, const std::string& target);
// Removes `link` if it is a symbolic link; anything else at that path is left alone.
void RemoveLink(const std::filesystem::path& link);

}  // namespace quillon::sim
