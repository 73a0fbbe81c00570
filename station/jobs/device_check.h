// Jobs of the console that only read the device: a package's pages compared with what the flash holds,
// and a run of the flash copied out. Each reads with the read-back command and its eight replies alone,
// never the open-job command nor a write, so a device checked is left as it was. Run as job workers:
// each steps the progress bar once as it opens and once per page, and lets go of the station at its end.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "package/font_package.h"

namespace quillon {

class CQuillonDlg;

struct PageDifference {
  std::uint32_t pageAddress = 0;
  std::uint32_t byteAddress = 0;  // the first byte that differs
  std::uint8_t expected = 0;
  std::uint8_t found = 0;
};

struct CheckReport {
  std::size_t pagesRead = 0;
  std::size_t pagesMatching = 0;
  std::optional<PageDifference> firstDifference;
  bool linkFailed = false;  // the link went down: the pages after pagesRead were not read
};

// Reads every page of `pages` back and compares it; goes on past a difference, to count the matches.
// The finish sound when all match, the error sound otherwise.
CheckReport CheckPages(CQuillonDlg& dlg, const std::vector<FontPage>& pages);

// Reads `pageCount` pages from firstPage (a page start) into `flash`; false when the link failed.
bool ReadPages(CQuillonDlg& dlg, std::uint32_t firstPage, std::uint32_t pageCount,
               std::vector<std::uint8_t>& flash);

// What one exchange with the device costs, measured without writing, in its two kinds: a command the
// device acknowledges (the station awaits the acknowledgement's first bytes only), and a read request it
// answers in full. Each round sends the read-back address alone, then reads the page back.
struct ExchangeTimes {
  std::vector<std::chrono::nanoseconds> acknowledged;
  std::vector<std::chrono::nanoseconds> answered;
  bool linkFailed = false;
};
using TimeBase = std::function<std::chrono::steady_clock::time_point()>;

// `rounds` rounds on the page at `address` (a page start), timed by `now`.
ExchangeTimes TimeExchanges(CQuillonDlg& dlg, std::uint32_t address, int rounds, const TimeBase& now);

}  // namespace quillon
