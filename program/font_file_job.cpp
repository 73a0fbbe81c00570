#include "program/font_file_job.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/quillon_dlg.h"
#include "app/shared_state.h"
#include "program/font_file_check.h"
#include "program/hex_records.h"
#include "program/job_frame.h"

namespace quillon {
namespace {

constexpr const char* kFontFileNames[] = {"flash.txt", "KoreaFlash.txt", "FTfont.txt", "Janpanesefont.txt",
                                          "Bigfont.txt"};

// The file's lines without their line ends, a carriage return before the newline included. False when
// the file cannot be read to its end.
bool ReadLines(const char* fileName, std::vector<std::string>& lines) {
  std::ifstream file(fileName);
  if (!file.is_open()) return false;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return !file.bad();
}

void LoadHexLine(const std::string& line) {
  // Checked lines are at most a data record long, which g_hexLine holds with its terminating zero.
  static_assert(kLongestRecordLine < sizeof g_hexLine);
  std::ranges::fill(g_hexLine, '\0');
  std::ranges::copy(line, g_hexLine);
}

// A page starts out erased: bytes that no record fills are written as 0xFF.
void StartPage(std::uint32_t address) {
  std::ranges::fill(g_pageBuffer, 0xFF);
  g_pageAddress.store(address, std::memory_order_relaxed);
}

// Writes the checked file's pages below the limit, the last one included. False when a page failed.
bool WritePages(CQuillonDlg& dlg, const std::vector<std::string>& lines) {
  g_hexUpperAddress = 0;
  std::size_t slot = 0;
  bool pagePending = false;
  for (const std::string& line : lines) {
    LoadHexLine(line);
    ParseRecordType();
    if (g_hexRecordType == kRecordEndOfFile) break;
    if (g_hexRecordType == kRecordExtendedLinearAddress) {
      // Changes the address of the next page that starts.
      ParseUpperAddress();
      continue;
    }
    if (g_hexRecordType != kRecordData) continue;  // a start address; nothing for the flash

    ParseLoadOffset();
    if ((g_hexLoadOffset & 0xFF) == 0) {
      // A page is written when the next one begins.
      if (pagePending && dlg.ProgramPage() != 0) return false;
      pagePending = false;
      const std::uint32_t address = g_hexUpperAddress | g_hexLoadOffset;
      if (address >= kFontAddressLimit) return true;
      StartPage(address);
      pagePending = true;
      slot = 0;
    }
    // The check has placed every data record after a page start, at most 8 to a page.
    ParseRecordData();
    std::ranges::copy(g_hexRecordData, g_pageBuffer + slot * kRecordDataBytes);
    ++slot;
  }
  return !pagePending || dlg.ProgramPage() == 0;
}

}  // namespace

const char* FontFileName(std::uint8_t jobMode) {
  if (jobMode < 1 || jobMode > std::size(kFontFileNames)) return nullptr;
  return kFontFileNames[jobMode - 1];
}

void FontFileJob(CQuillonDlg& dlg) {
  const char* fileName = FontFileName(g_jobMode.load());
  std::vector<std::string> lines;
  if (fileName == nullptr || !ReadLines(fileName, lines)) {
    ReportMissingFile(dlg, kWriteFileMissingText);
    return;
  }
  // The whole file is judged before the device hears of the job.
  if (const auto problem = CheckFontFile(lines)) {
    ReportMissingFile(dlg, RefusedFontFileText(fileName, *problem));
    return;
  }
  if (!BeginJob(dlg)) return;
  if (WritePages(dlg, lines)) {
    FinishJob(dlg);
  } else {
    FailJob(dlg);
  }
}

}  // namespace quillon
