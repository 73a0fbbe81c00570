#include "link/diagnosis/usb_library_check.h"

#include "link/usb/library_width.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

std::string Joined(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += (text.empty() ? "" : ", ") + path;
  return text;
}

}  // namespace

std::vector<CheckResult> CheckUsbLibrary(const UsbLibraryLook& look) {
  CheckResult result{"usb-library", CheckVerdict::kFail, Tr("The USB library {1}", {look.fileName}), {}, {}};
  const std::string bits = std::to_string(kProgramWidthBits);
  if (look.usable) {
    result.verdict = CheckVerdict::kPass;
    result.found =
        look.foundAt.empty()
            ? Tr("loaded: this station can use it; it counts {1} devices", {std::to_string(look.devices)})
            : Tr("{1}, {2}-bit: this {3}-bit station can use it; it counts {4} devices",
                 {look.foundAt, std::to_string(look.widthBits), bits, std::to_string(look.devices)});
    std::vector<CheckResult> results{result};
    if (look.devices > 0) {
      results.push_back({"usb-device",
                         CheckVerdict::kPass,
                         Tr("USB devices behind the library"),
                         Tr("{1} attached", {std::to_string(look.devices)}),
                         {}});
    }
    return results;
  }
  if (!look.problem.empty()) {
    result.found = look.foundAt.empty() ? look.problem : Tr("{1}: {2}", {look.foundAt, look.problem});
    result.fix =
        look.widthBits != 0 && look.widthBits != kProgramWidthBits
            ? Tr("Run the {1}-bit station, which can use it, or put the {2}-bit library in its place.",
                 {std::to_string(look.widthBits), bits})
            : Tr("Put the vendor's SiUSBXp library in its place.");
    return {result};
  }
  if (!look.strayCopies.empty()) {
    result.found = Tr("only in {1}, where the station does not load it from", {Joined(look.strayCopies)});
    result.fix = Tr("Copy it beside the station ({1}) or into the system folder.", {look.programFolder});
    return {result};
  }
  result.verdict = CheckVerdict::kNothingToCheck;
  result.found = Tr("not installed: the station uses the serial way");
  return {result};
}

}  // namespace quillon
