#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "link/diagnosis/linux_checks.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

// What the kernel logs when brltty takes an adapter from its serial driver.
constexpr std::string_view kBrlttyTookIt = "while 'brltty'";
constexpr std::string_view kAboutAdapters[] = {"ch341", "ch340", "1a86", "brltty"};

struct KernelMessage {
  double seconds = 0;  // since boot
  std::string text;
};

// A /dev/kmsg record: "6,1234,5678901,-;usb 1-1: ch341-uart converter now attached to ttyUSB0".
std::optional<KernelMessage> Parse(const std::string& record) {
  const std::size_t text = record.find(';');
  if (text == std::string::npos) return std::nullopt;
  const std::size_t first = record.find(',');
  const std::size_t second = first == std::string::npos ? first : record.find(',', first + 1);
  const std::size_t third = second == std::string::npos ? second : record.find(',', second + 1);
  KernelMessage message{0, record.substr(text + 1)};
  unsigned long long microseconds = 0;
  if (third != std::string::npos && third < text &&
      std::from_chars(record.data() + second + 1, record.data() + third, microseconds).ec == std::errc()) {
    message.seconds = static_cast<double>(microseconds) / 1e6;
  }
  return message;
}

bool AboutAdapters(const std::string& text) {
  std::string lower(text.size(), ' ');
  std::ranges::transform(text, lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return std::ranges::any_of(kAboutAdapters,
                             [&](std::string_view word) { return lower.find(word) != lower.npos; });
}

std::string Quoted(const KernelMessage& message) {
  char time[32];
  std::snprintf(time, sizeof time, "[%.1f s] ", message.seconds);
  return time + message.text;
}

}  // namespace

std::vector<CheckResult> CheckKernelMessages(const LinuxSystem& system,
                                             std::span<const Ch340Adapter> adapters) {
  CheckResult result{
      "kernel-log", CheckVerdict::kNothingToCheck, Tr("The kernel's messages about CH340 adapters"), {}, {}};
  const std::optional<std::vector<std::string>> records = system.root.KernelMessages();
  if (!records) {
    result.found = Tr("not readable by this user (sudo dmesg shows them)");
    return {result};
  }
  std::optional<KernelMessage> last;
  for (const std::string& record : *records) {
    std::optional<KernelMessage> message = Parse(record);
    if (!message || !AboutAdapters(message->text)) continue;
    if (message->text.find(kBrlttyTookIt) != std::string::npos) {
      result.verdict = CheckVerdict::kFail;
      result.found = Tr("brltty took an adapter from its driver: {1}", {Quoted(*message)});
      result.fix = Tr("sudo systemctl mask brltty-udev.service, or remove the package brltty.");
    }
    last = std::move(message);
  }
  if (result.verdict == CheckVerdict::kFail) return {result};
  if (!last) {
    result.found = Tr("none since the system started");
    if (!adapters.empty()) result.verdict = CheckVerdict::kPass;
    return {result};
  }
  result.verdict = CheckVerdict::kPass;
  result.found = Tr("the last: {1}", {Quoted(*last)});
  return {result};
}

}  // namespace quillon
