// The ceiling of the page-rate benchmark's set-up: a page's eighteen exchanges done by one thread
// straight on the tty, with nothing between an answer and the next frame. What this loses against the
// wire is the pty's and the simulator's own hand-over time; the station can only lose more.
#pragma once

#include <filesystem>

namespace quillon::bench {

// Writes and reads back `pages` pages at 460800 baud. False when the tty cannot be opened or the
// device leaves an exchange unanswered for a second.
bool RunBareExchanges(const std::filesystem::path& tty, int pages);

}  // namespace quillon::bench
