// quillon-cli's bash completion lists the package names itself (bash cannot ask the program without
// running it): the completion the build made must offer exactly the packages the station knows.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "front/common/package_buttons.h"

namespace quillon {
namespace {

// The words of the completion's `packages=(...)` array.
std::set<std::string> CompletedPackages() {
  std::ifstream file(QUILLON_BINARY_DIR "/bash-completion/quillon-cli");
  std::stringstream text;
  text << file.rdbuf();
  const std::string script = text.str();
  const std::string opening = "packages=(";
  const std::size_t start = script.find(opening);
  if (start == std::string::npos) return {};
  const std::size_t first = start + opening.size();
  std::istringstream words(script.substr(first, script.find(')', first) - first));
  std::set<std::string> names;
  for (std::string word; words >> word;) names.insert(word);
  return names;
}

TEST(BashCompletionTest, OffersExactlyTheStationsPackages) {
  std::set<std::string> stationPackages;
  for (const PackageButton& package : Packages()) stationPackages.insert(package.name);
  EXPECT_EQ(CompletedPackages(), stationPackages);
}

}  // namespace
}  // namespace quillon
