// Every package the station writes, by the name the programs' command lines know it by, and the job
// button that writes it.
#pragma once

#include <string>
#include <vector>

namespace quillon {

struct PackageButton {
  const char* name;
  int controlId;
};

const std::vector<PackageButton>& Packages();

// The button of the package called `name`; 0 when there is none.
int PackageButtonId(const std::string& name);

}  // namespace quillon
