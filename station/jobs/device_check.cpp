#include "station/jobs/device_check.h"

#include <algorithm>

#include "link/frame.h"
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

ExchangeTimes TimeExchanges(CQuillonDlg& dlg, std::uint32_t address, int rounds, const TimeBase& now) {
  OpenOnTheBar(dlg);
  ExchangeTimes times;
  for (int round = 0; round < rounds && !times.linkFailed; ++round) {
    // The read-back address alone, as the read-back itself sends it first.
    g_txPayload[0] = kCommandReadBack;
    g_txPayload[1] = kSubcommandAddress;
    g_txPayload[2] = static_cast<std::uint8_t>(address >> 16);
    g_txPayload[3] = static_cast<std::uint8_t>(address >> 8);
    g_txPayload[4] = static_cast<std::uint8_t>(address);
    const auto start = now();
    times.linkFailed = dlg.JobsHalted() || dlg.ExchangeCommand(kCommandWaitTicks) == 0;
    if (times.linkFailed) break;
    const auto acknowledged = now();
    UsbPace(g_usbPaceUnits.load(std::memory_order_relaxed));
    const auto readBackStart = now();
    times.linkFailed = !ReadPage(dlg, address);
    if (times.linkFailed) break;
    const auto acknowledgement = acknowledged - start;
    times.acknowledged.push_back(acknowledgement);
    // The read-back is its address, acknowledged, then the answered requests.
    times.answered.push_back((now() - readBackStart - acknowledgement) / static_cast<int>(kChunksPerPage));
  }
  Close(dlg);
  return times;
}

}  // namespace quillon
