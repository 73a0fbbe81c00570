#include "app/console/write_command.h"

#include <algorithm>

#include "app/console/job_start.h"
#include "program/colour_font_jobs.h"
#include "program/font_package.h"
#include "program/job_frame.h"

namespace quillon::console {
namespace {

// The input file of the job was not found.
constexpr const char* kInputMissing[] = {"没有找到写入文件!!!", "没有找到Read文件!!!"};

bool IsInputRefusal(const std::string& message) {
  return std::ranges::find(kInputMissing, message) != std::end(kInputMissing) ||
         message.starts_with(kBadWriteFileText) || message.starts_with(kBadReadFileText);
}

}  // namespace

int ExitCodeOfJob(const std::vector<std::string>& messages) {
  auto shown = [&](const char* text) { return std::ranges::find(messages, text) != messages.end(); };
  if (shown(kWriteCompleteText)) return kExitWriteComplete;
  if (std::ranges::any_of(messages, IsInputRefusal)) return kExitInputRefused;
  return kExitJobFailed;
}

JobEnd PressAndWait(int jobButton, CQuillonApp& app, ConsoleView& view) {
  const std::size_t messagesBefore = view.MessageTexts().size();
  if (app.Press(jobButton) != PressOutcome::kJobStarted) return {kExitNoDevice, {}};
  app.Dialog().WaitForJobWorkers();
  std::vector<std::string> messages = view.MessageTexts();
  messages.erase(messages.begin(), messages.begin() + static_cast<std::ptrdiff_t>(messagesBefore));
  return {ExitCodeOfJob(messages), messages.empty() ? std::string() : messages.back()};
}

int RunWrite(const CliOptions& options, CQuillonApp& app, ConsoleView& view, std::FILE* errorOut) {
  const std::size_t messagesBefore = view.MessageTexts().size();
  const int started =
      StartWhenLinked([&] { return app.Press(options.jobButton); }, options.waitSeconds, view, errorOut);
  if (started != kExitWriteComplete) return started;
  app.Dialog().WaitForJobWorkers();
  const std::vector<std::string> messages = view.MessageTexts();
  return ExitCodeOfJob(std::vector<std::string>(
      messages.begin() + static_cast<std::ptrdiff_t>(messagesBefore), messages.end()));
}

}  // namespace quillon::console
