#include "front/console/device_check_commands.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "front/console/exit_codes.h"
#include "front/console/job_start.h"
#include "link/frame.h"
#include "package/hex_records.h"
#include "package/hex_writer.h"
#include "station/jobs/device_check.h"

namespace quillon::console {
namespace {

std::string Address(std::uint32_t address) {
  return "0x" + HexText(address, 6);
}

std::string Byte(std::uint8_t byte) {
  return "0x" + HexText(byte, 2);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

int RunVerify(const CliOptions& options, const std::vector<FontPage>& pages, CQuillonApp& app,
              ConsoleView& view, std::FILE* errorOut) {
  CheckReport report;
  const int started =
      StartWhenLinked([&] { return app.RunJob([&](CQuillonDlg& dlg) { report = CheckPages(dlg, pages); }); },
                      options.waitSeconds, view, errorOut);
  if (started != kExitWriteComplete) return started;
  app.Dialog().WaitForJobWorkers();

  const std::size_t total = pages.size();
  if (report.firstDifference) {
    const PageDifference& difference = *report.firstDifference;
    std::fprintf(errorOut, "The page at %s differs: its byte at %s is %s, the package has %s.\n",
                 Address(difference.pageAddress).c_str(), Address(difference.byteAddress).c_str(),
                 Byte(difference.found).c_str(), Byte(difference.expected).c_str());
  }
  if (report.linkFailed) {
    std::fprintf(errorOut, "The link to the ID writer failed after %zu of %zu pages.\n", report.pagesRead,
                 total);
  }
  std::fprintf(errorOut, "%zu of %zu pages of %s match the device.\n", report.pagesMatching, total,
               options.package.c_str());
  return report.pagesMatching == total ? kExitWriteComplete : kExitJobFailed;
}

int RunRead(const CliOptions& options, std::FILE* outFile, CQuillonApp& app, ConsoleView& view,
            std::FILE* errorOut) {
  const std::unique_ptr<std::FILE, FileCloser> out(outFile);
  // Whole pages: from the start of the first byte's page to the end of the last byte's.
  const auto pageSize = static_cast<std::uint32_t>(kPageSize);
  const std::uint32_t firstPage = options.readAddress / pageSize * pageSize;
  const std::uint32_t end = options.readAddress + options.readLength;
  const std::uint32_t pageCount = (end - firstPage + pageSize - 1) / pageSize;
  std::vector<std::uint8_t> flash;
  bool linked = false;
  view.ExpectPages(static_cast<int>(pageCount));
  const int started = StartWhenLinked(
      [&] {
        return app.RunJob([&](CQuillonDlg& dlg) { linked = ReadPages(dlg, firstPage, pageCount, flash); });
      },
      options.waitSeconds, view, errorOut);
  if (started != kExitWriteComplete) return started;
  app.Dialog().WaitForJobWorkers();
  if (!linked) {
    std::fprintf(errorOut, "The link to the ID writer failed after %zu of %u pages: %s holds nothing.\n",
                 flash.size() / kPageSize, pageCount, options.outPath.c_str());
    return kExitJobFailed;
  }

  const std::string hex =
      options.format == ImageFormat::kIntelHex ? IntelHexText(firstPage, flash) : std::string();
  const bool written = options.format == ImageFormat::kIntelHex
                           ? std::fwrite(hex.data(), 1, hex.size(), out.get()) == hex.size()
                           : std::fwrite(flash.data(), 1, flash.size(), out.get()) == flash.size();
  if (!written || std::fflush(out.get()) != 0) {
    std::fprintf(errorOut, "quillon-cli: cannot write %s: %s\n", options.outPath.c_str(),
                 std::strerror(errno));
    return kExitInputRefused;
  }
  std::fprintf(errorOut, "Read %s..%s (%u pages) into %s.\n", Address(firstPage).c_str(),
               Address(firstPage + pageCount * pageSize - 1).c_str(), pageCount, options.outPath.c_str());
  return kExitWriteComplete;
}

}  // namespace quillon::console
