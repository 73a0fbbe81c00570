#include "app/console/write_command.h"

#include <algorithm>
#include <chrono>

#include "program/colour_font_jobs.h"
#include "program/font_package.h"

namespace quillon::console {
namespace {

constexpr char kWriteComplete[] = "写入完成!!!";
// The input file of the job was not found.
constexpr const char* kInputMissing[] = {"没有找到写入文件!!!", "没有找到Read文件!!!"};

bool IsInputRefusal(const std::string& message) {
  return std::ranges::find(kInputMissing, message) != std::end(kInputMissing) ||
         message.starts_with(kBadWriteFileText) || message.starts_with(kBadReadFileText);
}

}  // namespace

int ExitCodeOfJob(const std::vector<std::string>& messages) {
  auto shown = [&](const char* text) { return std::ranges::find(messages, text) != messages.end(); };
  if (shown(kWriteComplete)) return kExitWriteComplete;
  if (std::ranges::any_of(messages, IsInputRefusal)) return kExitInputRefused;
  return kExitJobFailed;
}

int RunWrite(const CliOptions& options, CQuillonApp& app, ConsoleView& view, std::FILE* errorOut) {
  std::fprintf(errorOut, "Waiting up to %d s for the ID writer...\n", options.waitSeconds);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.waitSeconds);
  const std::size_t messagesBefore = view.MessageTexts().size();
  // The station enables its buttons only once it can take a job, so the press that follows starts it,
  // unless the link went down again in between: then wait for it to come back.
  for (;;) {
    if (!view.WaitUntilEnabled(options.jobButton, deadline)) {
      std::fprintf(errorOut, "No ID writer device was linked within %d s: check that it is plugged in.\n",
                   options.waitSeconds);
      return kExitNoDevice;
    }
    const PressOutcome press = app.Press(options.jobButton);
    if (press == PressOutcome::kJobStarted) break;
    if (press == PressOutcome::kNoJobStarted) {
      std::fprintf(errorOut, "The station is busy and did not start the job.\n");
      return kExitJobFailed;
    }
  }
  app.Dialog().WaitForJobWorkers();
  const std::vector<std::string> messages = view.MessageTexts();
  return ExitCodeOfJob(std::vector<std::string>(
      messages.begin() + static_cast<std::ptrdiff_t>(messagesBefore), messages.end()));
}

}  // namespace quillon::console
