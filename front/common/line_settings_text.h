// The production line's settings as both windows' settings dialogs show and take them: the slots as
// text (a port and its label a line), and the fields checked into a new profile.
#pragma once

#include <string>
#include <vector>

#include "line/line_profile.h"
#include "texts/problem.h"

namespace quillon {

// "/dev/serial/by-path/… A1\nCOM5\n"
std::string SlotsText(const std::vector<LineSlot>& slots);

struct LineSettingsFields {
  std::string package;
  std::string station;
  std::string log;
  std::string slots;  // as SlotsText writes them
  std::string pin;    // empty: unchanged
  std::string pinRepeat;
};

// The profile with the fields' values, or what is wrong with them in the operator's words: an unknown
// package, no slot or a port given twice, no log, PINs that differ.
Result<LineProfile> ChangedProfile(const LineProfile& profile, const LineSettingsFields& fields);

}  // namespace quillon
