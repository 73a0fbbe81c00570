#include "front/console/device_check_commands.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "front/common/exit_codes.h"
#include "front/console/job_start.h"
#include "link/frame.h"
#include "package/hex_records.h"
#include "package/hex_writer.h"
#include "station/jobs/device_check.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

std::string Address(std::uint32_t address) {
  return "0x" + HexText(address, 6);
}

std::string Byte(std::uint8_t byte) {
  return "0x" + HexText(byte, 2);
}

}  // namespace

Result<void> RunVerify(const CliOptions& options, const std::vector<FontPage>& pages, CQuillonApp& app,
                       ConsoleView& view, const StopRequest& stop, std::FILE* errorOut) {
  CheckReport report;
  const Result<void> started =
      StartWhenLinked([&] { return app.RunJob([&](CQuillonDlg& dlg) { report = CheckPages(dlg, pages); }); },
                      options.waitSeconds, view, stop, errorOut);
  if (!started) return started;
  app.Dialog().WaitForJobWorkers();

  const std::size_t total = pages.size();
  if (report.firstDifference) {
    const PageDifference& difference = *report.firstDifference;
    std::fprintf(errorOut, "%s\n",
                 Tr("The page at {1} differs: its byte at {2} is {3}, the package has {4}.",
                    {Address(difference.pageAddress), Address(difference.byteAddress), Byte(difference.found),
                     Byte(difference.expected)})
                     .c_str());
  }
  if (report.linkFailed) {
    std::fprintf(errorOut, "%s\n",
                 Tr("The link to the ID writer failed after {1} of {2} pages.",
                    {std::to_string(report.pagesRead), std::to_string(total)})
                     .c_str());
  }
  const std::string matching =
      Tr("{1} of {2} pages of {3} match the device.",
         {std::to_string(report.pagesMatching), std::to_string(total), options.package});
  std::fprintf(errorOut, "%s\n", matching.c_str());
  if (report.pagesMatching == total) return {};
  return Problem{report.linkFailed ? ProblemKind::kLinkFailed : ProblemKind::kJobFailed, matching};
}

Result<void> RunRead(const CliOptions& options, ReplacedFile out, CQuillonApp& app, ConsoleView& view,
                     const StopRequest& stop, std::FILE* errorOut) {
  // Whole pages: from the start of the first byte's page to the end of the last byte's.
  const auto pageSize = static_cast<std::uint32_t>(kPageSize);
  const std::uint32_t firstPage = options.readAddress / pageSize * pageSize;
  const std::uint32_t end = options.readAddress + options.readLength;
  const std::uint32_t pageCount = (end - firstPage + pageSize - 1) / pageSize;
  std::vector<std::uint8_t> flash;
  bool linked = false;
  view.ExpectPages(static_cast<int>(pageCount));
  const Result<void> started = StartWhenLinked(
      [&] {
        return app.RunJob([&](CQuillonDlg& dlg) { linked = ReadPages(dlg, firstPage, pageCount, flash); });
      },
      options.waitSeconds, view, stop, errorOut);
  if (!started) return started;
  app.Dialog().WaitForJobWorkers();
  if (!linked) {
    const std::string words =
        Tr("The link to the ID writer failed after {1} of {2} pages: {3} is left as it was.",
           {std::to_string(flash.size() / kPageSize), std::to_string(pageCount), options.outPath});
    std::fprintf(errorOut, "%s\n", words.c_str());
    return Problem{ProblemKind::kLinkFailed, words};
  }

  const std::string hex =
      options.format == ImageFormat::kIntelHex ? IntelHexText(firstPage, flash) : std::string();
  Result<void> written = options.format == ImageFormat::kIntelHex ? out.Write(hex.data(), hex.size())
                                                                  : out.Write(flash.data(), flash.size());
  if (written) written = out.Commit();
  if (!written) {
    std::fprintf(errorOut, "quillon-cli: %s\n", written.Failure().words.c_str());
    return written;
  }
  std::fprintf(errorOut, "%s\n",
               Tr("Read {1}..{2} ({3} pages) into {4}.",
                  {Address(firstPage), Address(firstPage + pageCount * pageSize - 1),
                   std::to_string(pageCount), options.outPath})
                   .c_str());
  return {};
}

}  // namespace quillon::console
