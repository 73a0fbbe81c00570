// The packages a campaign writes, each with the pages the device must end up holding, in the order the
// station writes them: font files of random pages and record layouts, the built-in 240 × 240 English
// package, and inputs the station must refuse (a malformed font file, an image file cut short).
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quillon::campaign {

struct ExpectedPage {
  std::uint32_t address = 0;
  std::array<std::uint8_t, 256> bytes{};
};

struct CampaignPackage {
  std::string description;
  int button = 0;
  std::string fileName;               // written to the working directory; empty for a built-in package
  std::vector<std::uint8_t> content;  // the file's bytes
  std::vector<ExpectedPage> pages;    // what the device must hold, in writing order
  bool refused = false;               // the station must refuse it; `pages` are written before that
};

// A font package file of 1..24 pages below the font area's limit, for one of the five font buttons.
CampaignPackage RandomFontFile(std::mt19937& random);
// A font package file with one line broken in one of the ways the station refuses.
CampaignPackage MalformedFontFile(std::mt19937& random);
// The 240 × 240 English package: 130 built-in pages, no file.
CampaignPackage Colour240English();
// A 240 × 240 package completed from an image file that is too short: the 130 built-in pages, then the
// refusal.
CampaignPackage ShortImageFile(std::mt19937& random);

}  // namespace quillon::campaign
