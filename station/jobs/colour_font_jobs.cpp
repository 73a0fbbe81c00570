#include "station/jobs/colour_font_jobs.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "link/files/input_file.h"
#include "package/colour_regions.h"
#include "station/jobs/job_frame.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace quillon {
namespace {

enum class RegionOutcome { kWritten, kPageFailed, kSourceUnreadable };

// Writes `length` bytes' worth of whole pages from `flashStart` on; fillPage(n) puts the region's bytes
// n..n+255 into g_pageBuffer, or answers false when it cannot. Stops at the first page that fails.
template <typename FillPage>
RegionOutcome WriteRegion(CQuillonDlg& dlg, std::uint32_t flashStart, std::uint32_t length,
                          FillPage fillPage) {
  std::uint32_t taken = 0;
  do {
    if (!fillPage(taken)) return RegionOutcome::kSourceUnreadable;
    g_pageAddress.store(flashStart + taken, std::memory_order_relaxed);
    if (dlg.ProgramPage() != 0) return RegionOutcome::kPageFailed;
    taken += kPageSize;
  } while (taken < length);
  return RegionOutcome::kWritten;
}

bool WriteBuiltinRegion(CQuillonDlg& dlg, const BuiltinRegion& region) {
  return WriteRegion(dlg, region.flashStart, region.length, [&](std::uint32_t taken) {
           CopyBlockPage(region.blockOffset + taken, g_pageBuffer);
           return true;
         }) == RegionOutcome::kWritten;
}

bool WriteScreen240Regions(CQuillonDlg& dlg) {
  return std::ranges::all_of(kScreen240Regions,
                             [&](const BuiltinRegion& region) { return WriteBuiltinRegion(dlg, region); });
}

std::optional<std::uint64_t> FileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return std::nullopt;
  const long size = std::ftell(file);
  if (size < 0) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

// The file is positioned afresh for every page.
bool ReadImagePage(std::FILE* file, std::uint32_t offset) {
  std::uint8_t block[kPageSize];
  if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
  if (std::fread(block, 1, sizeof block, file) != sizeof block) return false;
  std::ranges::copy(block, g_pageBuffer);
  return true;
}

// Opens the image file, checks it and writes its region. The job is closed here unless this answers
// true; the file is closed before this returns, after any box it shows.
bool WriteFileRegion(CQuillonDlg& dlg, const ColourImageFile& image) {
  Result<InputFile> opened = OpenInputFile(image.name);
  if (!opened) {
    ReportMissingFile(dlg, InputFileRefusalText(opened.Failure(), kReadFileMissingText));
    return false;
  }
  const InputFile file = std::move(*opened);
  const std::optional<std::uint64_t> size = FileSize(file.get());
  if (!size) {
    ReportMissingFile(dlg, UnreadableImageFileText(image));
    return false;
  }
  if (*size < image.RequiredSize()) {
    ReportMissingFile(dlg, ShortImageFileText(image, *size));
    return false;
  }
  const RegionOutcome outcome =
      WriteRegion(dlg, kFileRegionStart, kFileRegionBytes,
                  [&](std::uint32_t taken) { return ReadImagePage(file.get(), image.firstByte + taken); });
  if (outcome == RegionOutcome::kPageFailed) FailJob(dlg);
  // The size was checked: only a failing disk or a file cut short meanwhile gets here.
  if (outcome == RegionOutcome::kSourceUnreadable) ReportMissingFile(dlg, UnreadableImageFileText(image));
  return outcome == RegionOutcome::kWritten;
}

}  // namespace

void ColourFontJob(CQuillonDlg& dlg) {
  if (!BeginJob(dlg)) return;
  if (!WriteScreen240Regions(dlg)) {
    FailJob(dlg);
    return;
  }
  // Mode 7, the English package, never touches flash at or above 0x100000.
  if (g_jobMode.load() != 7 && !WriteBuiltinRegion(dlg, kGlyphRegion)) {
    FailJob(dlg);
    return;
  }
  FinishJob(dlg);
}

void ColourFont128Job(CQuillonDlg& dlg) {
  if (!BeginJob(dlg)) return;
  if (!WriteBuiltinRegion(dlg, kSmallScreenRegion)) {
    FailJob(dlg);
    return;
  }
  FinishJob(dlg);
}

void ColourFileFontJob(CQuillonDlg& dlg, const ColourImageFile& image) {
  if (!BeginJob(dlg)) return;
  // A page failing here ends the job before the image file is opened.
  if (!WriteScreen240Regions(dlg)) {
    FailJob(dlg);
    return;
  }
  if (!WriteFileRegion(dlg, image)) return;
  FinishJob(dlg);
}

}  // namespace quillon
