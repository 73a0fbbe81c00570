#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <sstream>

#include "link/diagnosis/linux_checks.h"
#include "link/diagnosis/system_files.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

// The services through which brltty's rule starts it for a device; masked, the rule starts nothing.
constexpr const char* kBrlttyServices[] = {"brltty-udev.service", "brltty-device@.service"};

std::string Lower(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Whether a rule's line matches the adapter: brltty's rules name devices by ENV{PRODUCT} ("1a86/7523/*")
// or by their attributes.
bool MatchesAdapter(const std::string& line, UsbId id) {
  char product[16];
  std::snprintf(product, sizeof product, "%x/%x/", static_cast<unsigned>(id.vendor),
                static_cast<unsigned>(id.product));
  const std::string text = UsbIdText(id);
  const std::string vendor = "idvendor}==\"" + text.substr(0, 4) + "\"";
  const std::string productAttribute = "idproduct}==\"" + text.substr(5) + "\"";
  return line.find(product) != std::string::npos ||
         (line.find(vendor) != std::string::npos && line.find(productAttribute) != std::string::npos);
}

// The id of a CH340 adapter that the rules file gives to brltty, if any.
std::optional<UsbId> ClaimedAdapter(const SystemRoot& root, const RuleFile& file) {
  std::istringstream lines(Lower(root.ReadText(file.path).value_or("")));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    for (const UsbId& id : Ch340UsbIds()) {
      if (MatchesAdapter(line, id)) return id;
    }
  }
  return std::nullopt;
}

bool ServiceMasked(const SystemRoot& root) {
  return std::ranges::any_of(kBrlttyServices, [&](const char* service) {
    return root.LinkTarget(std::string("/etc/systemd/system/") + service) == "/dev/null";
  });
}

}  // namespace

std::vector<CheckResult> CheckBrltty(const LinuxSystem& system) {
  const SystemRoot& root = system.root;
  const std::vector<RunningProcess> running = ProcessesNamed(root, "brltty");
  const std::string runningText = running.empty() ? std::string(Tr("it is not running"))
                                                  : Tr("it is running: {1}", {ProcessesText(running)});
  for (const RuleFile& file : RuleFilesInForce(root)) {
    if (Lower(file.name).find("brltty") == std::string::npos) continue;
    const std::optional<UsbId> claimed = ClaimedAdapter(root, file);
    if (!claimed) continue;
    if (ServiceMasked(root)) {
      return {{"brltty",
               CheckVerdict::kPass,
               Tr("brltty and CH340 adapters"),
               Tr("its rule ({1}) names {2}, but the service it starts is masked",
                  {file.path, UsbIdText(*claimed)}),
               {}}};
    }
    return {{"brltty", CheckVerdict::kFail, Tr("brltty claims CH340 adapters ({1})", {file.path}),
             Tr("the port vanishes after it appears ({1} is in its rule; {2})",
                {UsbIdText(*claimed), runningText}),
             Tr("sudo systemctl mask brltty-udev.service, or remove the package brltty.")}};
  }
  return {{"brltty",
           CheckVerdict::kPass,
           Tr("brltty and CH340 adapters"),
           Tr("no brltty rule names a CH340 adapter ({1})", {runningText}),
           {}}};
}

}  // namespace quillon
