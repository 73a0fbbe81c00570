// quillon-cli verify and read: jobs that only read the device, started once a device is linked. Their
// inputs and outputs are made ready before the station starts, so that a refused one sends nothing.
#pragma once

#include <cstdio>
#include <vector>

#include "front/console/cli_options.h"
#include "front/console/console_view.h"
#include "line/stop_request.h"
#include "link/files/replaced_file.h"
#include "package/font_package.h"
#include "station/quillon_app.h"

namespace quillon::console {

// Compares the package's pages with the device's flash and says how many match and where the first
// difference is. Problems: kJobFailed when one differs, kLinkFailed when the link fails.
Result<void> RunVerify(const CliOptions& options, const std::vector<FontPage>& pages, CQuillonApp& app,
                       ConsoleView& view, const StopRequest& stop, std::FILE* errorOut);

// Copies the whole pages that hold the range asked for into `out`, raw or as Intel-HEX, which replaces
// its target only when every page was read and written. Problems: kOutputFailed when it cannot be
// written, kLinkFailed when the link fails.
Result<void> RunRead(const CliOptions& options, ReplacedFile out, CQuillonApp& app, ConsoleView& view,
                     const StopRequest& stop, std::FILE* errorOut);

}  // namespace quillon::console
