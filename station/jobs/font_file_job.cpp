#include "station/jobs/font_file_job.h"

#include <algorithm>
#include <fstream>

#include "link/utf8_path.h"
#include "package/font_package.h"
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
  const char* fileName = FontFileName(g_jobMode.load());
  // Binary: line ends are the reader's business, the same on every platform.
  std::ifstream file;
  if (fileName != nullptr) file.open(PathFromUtf8(fileName), std::ios::binary);
  if (!file.is_open()) {
    ReportMissingFile(dlg, kWriteFileMissingText);
    return;
  }
  // The whole file is judged before the device hears of the job.
  const FontPackage package = ReadFontPackage(file);
  file.close();
  if (package.problem) {
    ReportMissingFile(dlg, RefusedFontFileText(fileName, *package.problem));
    return;
  }
  if (!BeginJob(dlg)) return;
  if (WritePages(dlg, package.pages)) {
    FinishJob(dlg);
  } else {
    FailJob(dlg);
  }
}

}  // namespace quillon
