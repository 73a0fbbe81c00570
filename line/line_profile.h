// A production line as it was set up, kept in "line.json" in the working folder: the package, the slots
// with their ports and labels, the log, the station's name and the supervisor's PIN, kept only as a
// salted hash. `quillon --line` with nothing else opens the line it describes; the view saves its
// settings back into it.
#pragma once

#include <string>
#include <vector>

#include "texts/problem.h"

namespace quillon {

inline constexpr char kLineProfileFile[] = "line.json";

struct LineSlot {
  std::string port;   // /dev/serial/by-path/… or COMn: the USB socket the slot's fixture is in
  std::string label;  // what the operator calls it; empty: the port
  bool operator==(const LineSlot&) const = default;
};

struct LineProfile {
  std::string package;  // as quillon-cli names it: "chinese", "large-ascii", …
  std::vector<LineSlot> slots;
  std::string log = "units.jsonl";
  std::string station;  // the station's name in the header and in every record; may be empty
  std::string pinSalt;  // hex; both empty: no PIN set yet
  std::string pinHash;

  bool PinSet() const { return !pinHash.empty(); }
  bool PinMatches(const std::string& pin) const;
  // A new salt, and the PIN's hash with it.
  void SetPin(const std::string& pin);
};

// Problems: kInputMissing when there is no profile, kInputRefused when it is not one (with the words
// that say where it is wrong).
Result<LineProfile> ReadLineProfile(const std::string& path);
// Replaced whole (link/files/replaced_file.h). Problems: kOutputFailed.
Result<void> SaveLineProfile(const std::string& path, const LineProfile& profile);

}  // namespace quillon
