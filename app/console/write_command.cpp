#include "app/console/write_command.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "program/colour_font_jobs.h"
#include "program/font_file_check.h"

namespace quillon::console {
namespace {

constexpr char kWriteComplete[] = "写入完成!!!";
// The input file of the job was not found.
constexpr const char* kInputMissing[] = {"没有找到写入文件!!!", "没有找到Read文件!!!"};

bool IsInputRefusal(const std::string& message) {
  return std::ranges::find(kInputMissing, message) != std::end(kInputMissing) ||
         message.starts_with(kBadWriteFileText) || message.starts_with(kBadReadFileText);
}

// The job runs on a worker of its own; the console only needs to know when it is over.
void WaitWhile(auto condition) {
  while (condition()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
  if (!view.WaitUntilEnabled(options.jobButton, std::chrono::seconds(options.waitSeconds))) {
    std::fprintf(errorOut, "No ID writer device was linked within %d s: check that it is plugged in.\n",
                 options.waitSeconds);
    return kExitNoDevice;
  }
  CQuillonDlg& dialog = app.Dialog();
  const std::uint32_t jobsBefore = dialog.JobsStarted();
  const std::size_t messagesBefore = view.MessageTexts().size();
  app.PostClick(options.jobButton);
  const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  WaitWhile(
      [&] { return dialog.JobsStarted() == jobsBefore && std::chrono::steady_clock::now() < patience; });
  if (dialog.JobsStarted() == jobsBefore) {
    std::fprintf(errorOut, "The station is busy and did not start the job.\n");
    return kExitJobFailed;
  }
  WaitWhile([&] { return dialog.JobWorkerAlive(); });
  const std::vector<std::string> messages = view.MessageTexts();
  return ExitCodeOfJob(std::vector<std::string>(
      messages.begin() + static_cast<std::ptrdiff_t>(messagesBefore), messages.end()));
}

}  // namespace quillon::console
