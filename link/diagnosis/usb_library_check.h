// The vendor's USB bridge library as the station finds it: where, of which width, whether this station
// can use it, and copies of it where the station never loads from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/diagnosis/check_result.h"

namespace quillon {

struct UsbLibraryLook {
  std::string fileName;       // "SiUSBXp.dll"
  std::string foundAt;        // the file the station loads, or would; empty when none (or not known)
  int widthBits = 0;          // of that file, when known
  bool usable = false;        // loaded, with every operation the station uses
  std::string problem;        // why a library that is there cannot be used
  std::string programFolder;  // where a library beside the station belongs
  std::vector<std::string> strayCopies;  // copies in folders the station never loads from
  std::uint32_t devices = 0;             // the devices it counts, when usable
};

// Looks as the station would, and loads it (Linux and Windows each have their own).
UsbLibraryLook LookAtUsbLibrary();

std::vector<CheckResult> CheckUsbLibrary(const UsbLibraryLook& look);

}  // namespace quillon
