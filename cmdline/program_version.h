// What every program answers to --version: the version record's number and the commit it was built from.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// "1.0.0.1", the project's version, which the Windows resource script's version record carries too.
std::string_view ProgramVersion();
// The short hash of the commit the program was built from ("-modified" after it when the sources
// differed from it); empty when the build was not made from a git checkout.
std::string_view BuildCommit();
// "quillon-cli 1.0.0.1 (commit abc1234)", or "(commit unknown)", without a newline.
std::string VersionLine(std::string_view program);

}  // namespace quillon
