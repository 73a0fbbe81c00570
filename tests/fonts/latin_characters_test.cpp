#include "fonts/latin_characters.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace quillon {
namespace {

TEST(LatinCharacters, AreDistinctAndBeginWithNumberAndDollarSigns) {
  EXPECT_EQ(std::set<char32_t>(kLatinCharacters.begin(), kLatinCharacters.end()).size(),
            kLatinCharacters.size());
  EXPECT_EQ(kLatinCharacters[0], U'#');
  EXPECT_EQ(kLatinCharacters[1], U'$');
  EXPECT_EQ(LatinGlyphIndex(U'$'), 1);
}

TEST(LatinCharacters, HoldTheGermanFrenchAndPoundCharacters) {
  for (const char32_t c : std::u32string_view(U"ÄÖÜäöüßéèù£")) {
    EXPECT_TRUE(LatinGlyphIndex(c)) << static_cast<unsigned>(c);
  }
  EXPECT_FALSE(LatinGlyphIndex(U'A')) << "ASCII letters live in the ASCII sections";
}

}  // namespace
}  // namespace quillon
