#include "station/jobs/font_file_job.h"

#include <algorithm>

#include "package/package_pages.h"
#include "station/jobs/job_frame.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace quillon {
namespace {

// Writes the pages in order, each read back; false at the first that fails.
bool WritePages(CQuillonDlg& dlg, const std::vector<FontPage>& pages) {
  for (const FontPage& page : pages) {
    std::ranges::copy(page.bytes, g_pageBuffer);
    g_pageAddress.store(page.address, std::memory_order_relaxed);
    if (dlg.ProgramPage() != 0) return false;
  }
  return true;
}

}  // namespace

void FontFileJob(CQuillonDlg& dlg) {
  // The whole file is judged before the device hears of the job.
  const Result<PackagePages> package = FontFilePages(g_jobMode.load());
  if (!package) {
    ReportMissingFile(dlg, package.Failure().words);
    return;
  }
  if (package->bytesLeftOut > 0) dlg.ShowNotice(LeftOutBytesText(package->fileName, package->bytesLeftOut));
  WritePackageJob(dlg, package->pages);
}

void WritePackageJob(CQuillonDlg& dlg, const std::vector<FontPage>& pages) {
  if (!BeginJob(dlg)) return;
  if (WritePages(dlg, pages)) {
    FinishJob(dlg);
  } else {
    FailJob(dlg);
  }
}

}  // namespace quillon
