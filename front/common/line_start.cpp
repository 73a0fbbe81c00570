#include "front/common/line_start.h"

#include "texts/catalogue.h"

namespace quillon {

Result<LineProfile> LineProfileFor(const WindowOptions& options, const std::string& profilePath) {
  Result<LineProfile> read = ReadLineProfile(profilePath);
  if (!read && read.Failure().kind != ProblemKind::kInputMissing) return read.Failure();
  const bool saved = read.Ok();
  LineProfile profile = saved ? *read : LineProfile{};
  LineProfile given = profile;
  if (!options.linePackage.empty()) given.package = options.linePackage;
  if (!options.lineLog.empty()) given.log = options.lineLog;
  if (!options.linePorts.empty()) {
    given.slots.clear();
    for (const std::string& port : options.linePorts) {
      // A port the profile knows keeps its label.
      std::string label;
      for (const LineSlot& known : profile.slots) {
        if (known.port == port) label = known.label;
      }
      given.slots.push_back({port, label});
    }
  }
  const bool changed =
      given.package != profile.package || given.log != profile.log || given.slots != profile.slots;
  if (changed && profile.PinSet()) {
    return Problem{
        ProblemKind::kUsage,
        Tr("The line's settings are locked by the supervisor's PIN: change them in the production view.")};
  }
  // Set up on the command line for the first time: kept, so that --line alone opens it again.
  if (!saved && !given.package.empty() && !given.slots.empty()) (void)SaveLineProfile(profilePath, given);
  return given;
}

}  // namespace quillon
