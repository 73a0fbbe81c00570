#include "station/jobs/device_check.h"

#include <algorithm>

#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace quillon {
namespace {

// Opens as a job does on the bar: reset, then one step before the first page.
void OpenOnTheBar(CQuillonDlg& dlg) {
  dlg.SetProgressPos(0);
  dlg.StepProgress();
}

void Close(CQuillonDlg& dlg) {
  dlg.SetProgressPos(0);
  g_jobBusy.store(0);
}

bool ReadPage(CQuillonDlg& dlg, std::uint32_t address) {
  g_pageAddress.store(address, std::memory_order_relaxed);
  if (dlg.ReadBackPage() != 0) return false;
  dlg.StepProgress();
  return true;
}

}  // namespace

CheckReport CheckPages(CQuillonDlg& dlg, const std::vector<FontPage>& pages) {
  OpenOnTheBar(dlg);
  CheckReport report;
  for (const FontPage& page : pages) {
    if (!ReadPage(dlg, page.address)) {
      report.linkFailed = true;
      break;
    }
    ++report.pagesRead;
    const auto [expected, found] = std::ranges::mismatch(page.bytes, g_verifyBuffer);
    if (expected == page.bytes.end()) {
      ++report.pagesMatching;
    } else if (!report.firstDifference) {
      const auto offset = static_cast<std::uint32_t>(expected - page.bytes.begin());
      report.firstDifference = PageDifference{page.address, page.address + offset, *expected, *found};
    }
  }
  const bool allMatch = !report.linkFailed && report.pagesMatching == pages.size();
  dlg.PlaySoundFile(allMatch ? g_finishSoundPath : g_errorSoundPath);
  Close(dlg);
  return report;
}

bool ReadPages(CQuillonDlg& dlg, std::uint32_t firstPage, std::uint32_t pageCount,
               std::vector<std::uint8_t>& flash) {
  OpenOnTheBar(dlg);
  flash.clear();
  bool linked = true;
  for (std::uint32_t page = 0; page < pageCount && linked; ++page) {
    linked = ReadPage(dlg, firstPage + page * static_cast<std::uint32_t>(kPageSize));
    if (linked) flash.insert(flash.end(), g_verifyBuffer, g_verifyBuffer + kPageSize);
  }
  Close(dlg);
  return linked;
}

}  // namespace quillon
