#include "front/common/line_settings_text.h"

#include <sstream>

#include "front/common/package_buttons.h"
#include "link/ports/same_port.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

Problem Wrong(std::string words) {
  return {ProblemKind::kUsage, std::move(words)};
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string SlotsText(const std::vector<LineSlot>& slots) {
  std::string text;
  for (const LineSlot& slot : slots) text += slot.port + (slot.label.empty() ? "" : " " + slot.label) + "\n";
  return text;
}

Result<LineProfile> ChangedProfile(const LineProfile& profile, const LineSettingsFields& fields) {
  LineProfile changed = profile;
  changed.package = Trimmed(fields.package);
  if (PackageButtonId(changed.package) == 0)
    return Wrong(Tr("\"{1}\" is no package the station knows.", {changed.package}));
  changed.station = Trimmed(fields.station);
  changed.log = Trimmed(fields.log);
  if (changed.log.empty()) return Wrong(Tr("The line needs a log file."));
  changed.slots.clear();
  std::istringstream lines(fields.slots);
  for (std::string line; std::getline(lines, line);) {
    line = Trimmed(line);
    if (line.empty()) continue;
    const std::size_t space = line.find_first_of(" \t");
    LineSlot slot{line.substr(0, space),
                  space == std::string::npos ? std::string() : Trimmed(line.substr(space))};
    for (const LineSlot& taken : changed.slots) {
      if (SamePort(taken.port, slot.port))
        return Wrong(Tr("{1} and {2} are the same port.", {taken.port, slot.port}));
    }
    changed.slots.push_back(slot);
  }
  if (changed.slots.empty()) return Wrong(Tr("The line needs at least one slot: a port a line."));
  if (changed.slots.size() > 16) return Wrong(Tr("A line has at most 16 slots."));
  if (fields.pin != fields.pinRepeat) return Wrong(Tr("The two PINs differ."));
  if (!fields.pin.empty()) changed.SetPin(fields.pin);
  return changed;
}

}  // namespace quillon
