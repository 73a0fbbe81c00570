#include "program/colour_font_jobs.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/quillon_dlg.h"
#include "app/shared_state.h"
#include "fonts/builtin_font_block.h"
#include "program/job_frame.h"

namespace quillon {
namespace {

// A flash region written from the built-in block. Its last page is whole: where the region's length is
// not a multiple of a page, the page goes on with the bytes that follow in the block.
struct BuiltinRegion {
  std::uint32_t flashStart;
  std::size_t blockOffset;
  std::uint32_t length;
};

constexpr BuiltinRegion kSymbolRegion{0x0F0000, kFontAsciiSymbols.offset, 14656};
constexpr BuiltinRegion kLatin16Region{0x0F4000, kFontLatin16x32.offset, 10304};
constexpr BuiltinRegion kLatin12Region{0x0F7000, kFontLatin12x32.offset, 7728};
// Runs 1792 bytes past the 32 × 32 table into the 16 × 16 one, to fill flash up to 0x200000.
constexpr BuiltinRegion kGlyphRegion{0x100000, kFontGb2312_32x32.offset, 0x100000};
constexpr BuiltinRegion kSmallScreenRegion{0x000000, kFontGb2312_16x16.offset, 261696};

constexpr BuiltinRegion kScreen240Regions[] = {kSymbolRegion, kLatin16Region, kLatin12Region};

constexpr std::uint32_t kFileRegionStart = 0x100000;

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

// The page of the block at `offset`; what lies past the block's end is filler.
void FillFromBlock(std::size_t offset) {
  const auto rest = kBuiltinFontBlock.subspan(std::min(offset, kBuiltinFontBlock.size()));
  const std::size_t count = std::min(rest.size(), kPageSize);
  std::copy_n(rest.begin(), count, g_pageBuffer);
  std::fill(g_pageBuffer + count, g_pageBuffer + kPageSize, kColourPageFiller);
}

bool WriteBuiltinRegion(CQuillonDlg& dlg, const BuiltinRegion& region) {
  return WriteRegion(dlg, region.flashStart, region.length, [&](std::uint32_t taken) {
           FillFromBlock(region.blockOffset + taken);
           return true;
         }) == RegionOutcome::kWritten;
}

bool WriteScreen240Regions(CQuillonDlg& dlg) {
  return std::ranges::all_of(kScreen240Regions,
                             [&](const BuiltinRegion& region) { return WriteBuiltinRegion(dlg, region); });
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using ImageFile = std::unique_ptr<std::FILE, FileCloser>;

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

std::string UnreadableImageFileText(const ColourImageFile& image) {
  return std::string(kBadReadFileText) + "\n" + image.name + " cannot be read.";
}

// Opens the image file, checks it and writes its region. The job is closed here unless this answers
// true; the file is closed before this returns, after any box it shows.
bool WriteFileRegion(CQuillonDlg& dlg, const ColourImageFile& image) {
  const ImageFile file(std::fopen(image.name, "rb"));
  if (!file) {
    ReportMissingFile(dlg, kReadFileMissingText);
    return false;
  }
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

std::string ShortImageFileText(const ColourImageFile& image, std::uint64_t size) {
  return std::string(kBadReadFileText) + "\n" + image.name + " holds " + std::to_string(size) +
         " bytes; the " + image.packageName + " package needs at least " +
         std::to_string(image.RequiredSize()) + ".";
}

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
